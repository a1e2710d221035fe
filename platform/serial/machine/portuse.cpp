#include "portuse.h"
#include "porttexts.h"

#include "consoletty.h"
#include "holderwatch.h"
#include "portremedy.h"
#include "procholders.h"
#include "ttydevice.h"
#include "uucplock.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace qelv {

namespace {

struct Device {
    QString given;  // absolute
    QString path;   // what it resolves to
    dev_t number = 0;
};

std::optional<Device> deviceOf(const QString& devicePath) {
    Device device;
    device.given = QFileInfo(devicePath).absoluteFilePath();
    device.path = QFileInfo(device.given).canonicalFilePath();
    struct stat st {};
    if (device.path.isEmpty() || ::stat(QFile::encodeName(device.path).constData(), &st) != 0 ||
        !S_ISCHR(st.st_mode))
        return std::nullopt;
    device.number = st.st_rdev;
    return device;
}

PortUse useBy(const Device& device, const QString& holder, const QString& remedy) {
    return {holder, porttexts::kBusyBy.arg(device.path, holder), remedy};
}

PortUse processUse(const Device& device, const QList<qint64>& pids, const QString& procDir) {
    QStringList labels;
    QString remedy;
    for (const qint64 pid : pids) {
        labels << processLabel(pid, procDir);
        if (remedy.isEmpty()) remedy = remedyForProgram(processComm(pid, procDir), device.path);
    }
    return useBy(device, labels.join(QStringLiteral(", ")), remedy);
}

// A lock file no live process holds, and that is not this program's to clear: whoever left
// it may mean it, so it is named and left alone, and the port with it.
PortUse unheldLockUse(const Device& device, const LockClaim& lock) {
    PortUse use = useBy(device, porttexts::kLockFile.arg(lock.file),
                        porttexts::kRemoveLockFile.arg(lock.file));
    if (lock.state == LockClaim::State::NoPid)
        use.reason += porttexts::kLockWithoutPid;
    else if (lock.program.isEmpty())
        use.reason += porttexts::kLockOfGonePid.arg(lock.pid);
    else
        use.reason += porttexts::kLockOfGoneProgram.arg(lock.program).arg(lock.pid);
    return use;
}

}  // namespace

QString PortUse::message() const {
    return remedy.isEmpty() ? reason : reason + QStringLiteral(" — ") + remedy;
}

std::optional<PortUse> findPortUse(const QString& devicePath, const PortUseSources& sources) {
    const std::optional<Device> device = deviceOf(devicePath);
    if (!device || !isTtyDevice(device->number, sources.procDir)) return std::nullopt;
    const auto locks = lockClaims(lockFileNames(device->given, device->path), sources.lockDirs);
    if (const auto live = firstClaim(locks, LockClaim::State::Live))
        return processUse(*device, {live->pid}, sources.procDir);
    const DeviceHolders holders = deviceHolders(device->path, device->number, sources.procDir);
    if (!holders.users.isEmpty()) return processUse(*device, holders.users, sources.procDir);
    const QString kernelName = kernelTtyName(device->path);
    if (isKernelConsole(kernelName, sources.sysClassTty))
        return useBy(*device, porttexts::kConsole, consoleRemedy(kernelName));
    // What a killed run of this program left (a Leftover) is no use: PortGuard clears it.
    for (const auto state : {LockClaim::State::Stale, LockClaim::State::NoPid})
        if (const auto lock = firstClaim(locks, state)) return unheldLockUse(*device, *lock);
    return std::nullopt;
}

std::vector<std::optional<PortUse>> findPortUses(const QStringList& devicePaths,
                                                 const PortUseSources& sources) {
    watchForOpens(devicePaths);
    std::vector<std::optional<PortUse>> uses;
    for (const QString& path : devicePaths) uses.push_back(findPortUse(path, sources));
    return uses;
}

QString farEndHolders(const QString& devicePath, const PortUseSources& sources) {
    const std::optional<Device> device = deviceOf(devicePath);
    if (!device) return {};
    QStringList labels;
    for (const qint64 pid : deviceHolders(device->path, device->number, sources.procDir).farEnds)
        labels << processLabel(pid, sources.procDir);
    return labels.join(QStringLiteral(", "));
}

QString lockFileHolder(const QString& devicePath, const QString& lockDir) {
    const PortUseSources defaults;
    const QString given = QFileInfo(devicePath).absoluteFilePath();
    const QString resolved = QFileInfo(given).canonicalFilePath();
    const auto lock =
        firstClaim(lockClaims(lockFileNames(given, resolved.isEmpty() ? given : resolved),
                              lockDir.isEmpty() ? defaults.lockDirs : QStringList{lockDir}),
                   LockClaim::State::Live);
    return lock ? processLabel(lock->pid, defaults.procDir) : QString();
}

}  // namespace qelv
