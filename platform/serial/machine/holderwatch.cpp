#include "holderwatch.h"

#include <QFile>
#include <QFileInfo>

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <mutex>
#include <optional>
#include <set>

namespace qelv {

namespace {

using Clock = std::chrono::steady_clock;

struct Watch {
    dev_t device = 0;
    bool beforePass = false;  // watched when the current pass began
    bool opened = false;      // opened by someone else since the pass began
};

struct Pass {
    bool made = false;
    QString procDir;
    Clock::time_point began;
    std::set<dev_t> asked;  // unwatched devices asked about in it
    DescriptorTable table;
};

// One per process: the watches, their events and the pass they vouch for.
class HolderWatch {
public:
    static HolderWatch& instance() {
        static HolderWatch watch;
        return watch;
    }

    std::mutex mutex;

    // Each event is read once; `ours` are this process's opens of that device.
    void readEvents(dev_t ours = 0) {
        if (m_fd < 0) return;
        alignas(inotify_event) char buffer[4096];
        for (ssize_t n; (n = ::read(m_fd, buffer, sizeof buffer)) > 0;) {
            for (char* at = buffer; at < buffer + n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(at);
                take(*event, ours);
                at += sizeof(inotify_event) + event->len;
            }
        }
    }

    // The watch on `node`, made now if there is none; nothing when it cannot be made.
    Watch* watchOf(const QString& node, dev_t device) {
        if (m_fd < 0) m_fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (m_fd < 0) return nullptr;
        const int wd = ::inotify_add_watch(m_fd, QFile::encodeName(node).constData(), IN_OPEN);
        if (wd < 0) return nullptr;
        Watch& watch = m_watches[wd];
        // The node's inode holds another device now (its name was given to a new one).
        if (watch.device != device) watch = Watch{device, false, false};
        return &watch;
    }

    // A new pass over every process, which every watch made until now vouches for.
    void makePass(const QString& procDir) {
        readEvents();
        for (auto& [wd, watch] : m_watches) watch = Watch{watch.device, true, false};
        m_pass = Pass{true, procDir, Clock::now(), {}, scanDescriptors(procDir)};
        ++m_passes;
    }

    std::uint64_t passes() const { return m_passes; }

    bool made(const QString& procDir) const { return m_pass.made && m_pass.procDir == procDir; }

    // The pass vouches for the device: it was watched all along and nobody opened it.
    bool servesExactly(const Watch* watch, dev_t device, const QString& procDir) const {
        return watch && watch->beforePass && !watch->opened &&
               Clock::now() - m_pass.began < kWatchedPassLife &&
               !holdsDevice(::getpid(), device, procDir);
    }

    // The rule for a device the pass cannot vouch for: a pass that began moments ago and has
    // not been asked about it yet, with the processes started since added.
    bool servesAsRecent(dev_t device) const {
        return Clock::now() - m_pass.began < kHolderPassLife && !m_pass.asked.count(device);
    }

    Pass& pass() { return m_pass; }

private:
    void take(const inotify_event& event, dev_t ours) {
        if (event.mask & IN_Q_OVERFLOW) {
            for (auto& [wd, watch] : m_watches) watch.opened = true;
            return;
        }
        const auto found = m_watches.find(event.wd);
        if (found == m_watches.end()) return;
        if (event.mask & IN_IGNORED) {
            m_watches.erase(found);
            return;
        }
        if ((event.mask & IN_OPEN) && !(ours != 0 && found->second.device == ours))
            found->second.opened = true;
    }

    int m_fd = -1;
    std::map<int, Watch> m_watches;
    Pass m_pass;
    std::uint64_t m_passes = 0;
};

dev_t deviceAt(const QString& node) {
    struct stat st {};
    if (::stat(QFile::encodeName(node).constData(), &st) != 0 || !S_ISCHR(st.st_mode)) return 0;
    return st.st_rdev;
}

QList<qint64> currentUsers(const QList<qint64>& users, dev_t device, const QString& procDir) {
    QList<qint64> current;
    for (const qint64 pid : users)
        if (stillUses(pid, device, procDir)) current << pid;
    return current;
}

}  // namespace

DeviceHolders deviceHolders(const QString& node, dev_t device, const QString& procDir) {
    HolderWatch& watch = HolderWatch::instance();
    const std::lock_guard<std::mutex> lock(watch.mutex);
    watch.readEvents();
    const Watch* watched = watch.watchOf(node, device);
    const bool made = watch.made(procDir);
    const bool exact = made && watch.servesExactly(watched, device, procDir);
    // A device seen opened since the pass always gets a new one.
    const bool opened = watched && watched->beforePass && watched->opened;
    const bool recent = made && !exact && !opened && watch.servesAsRecent(device);
    const bool fresh = !exact && !recent;
    if (fresh) watch.makePass(procDir);
    if (recent) scanNewProcesses(procDir, watch.pass().table);
    watch.pass().asked.insert(device);
    DeviceHolders holders = holdersIn(watch.pass().table, device);
    QList<qint64> users = currentUsers(holders.users, device, procDir);
    // A holder that has let go may have handed the device on.
    if (users != holders.users && !fresh) {
        watch.makePass(procDir);
        watch.pass().asked.insert(device);
        holders = holdersIn(watch.pass().table, device);
        users = currentUsers(holders.users, device, procDir);
    }
    holders.users = users;
    return holders;
}

std::uint64_t holderPassesMade() {
    HolderWatch& watch = HolderWatch::instance();
    const std::lock_guard<std::mutex> lock(watch.mutex);
    return watch.passes();
}

void watchForOpens(const QStringList& nodes) {
    HolderWatch& watch = HolderWatch::instance();
    const std::lock_guard<std::mutex> lock(watch.mutex);
    watch.readEvents();
    for (const QString& path : nodes) {
        const QString node = QFileInfo(path).canonicalFilePath();
        if (const dev_t device = node.isEmpty() ? 0 : deviceAt(node)) watch.watchOf(node, device);
    }
}

OwnOpen::OwnOpen(const QString& node) : m_device(deviceAt(node)) {
    HolderWatch& watch = HolderWatch::instance();
    const std::lock_guard<std::mutex> lock(watch.mutex);
    watch.readEvents();
}

OwnOpen::~OwnOpen() {
    HolderWatch& watch = HolderWatch::instance();
    const std::lock_guard<std::mutex> lock(watch.mutex);
    watch.readEvents(m_device);
}

}  // namespace qelv
