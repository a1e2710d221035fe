#include "recentholders.h"

#include <mutex>
#include <set>

namespace qelv {

namespace {

using Clock = std::chrono::steady_clock;

struct Pass {
    QString procDir;
    Clock::time_point taken;
    std::set<dev_t> asked;
    DescriptorTable table;
};

bool serves(const Pass& pass, dev_t device, const QString& procDir) {
    return pass.procDir == procDir && Clock::now() - pass.taken < kHolderPassLife &&
           !pass.asked.count(device);
}

}  // namespace

DeviceHolders recentDeviceHolders(dev_t device, const QString& procDir) {
    static std::mutex guard;
    static Pass pass;
    DeviceHolders holders;
    {
        const std::lock_guard<std::mutex> lock(guard);
        if (serves(pass, device, procDir))
            scanNewProcesses(procDir, pass.table);
        else
            pass = Pass{procDir, Clock::now(), {}, scanDescriptors(procDir)};
        pass.asked.insert(device);
        holders = holdersIn(pass.table, device);
    }
    QList<qint64> current;
    for (const qint64 pid : holders.users)
        if (stillUses(pid, device, procDir)) current << pid;
    holders.users = current;
    return holders;
}

}  // namespace qelv
