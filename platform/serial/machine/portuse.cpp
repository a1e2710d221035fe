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

PortUse orphanLockUse(const Device& device, const QString& file) {
    PortUse use =
        useBy(device, porttexts::kLockFile.arg(file), porttexts::kRemoveLockFile.arg(file));
    use.reason += porttexts::kLockWithoutPid;
    return use;
}

}  // namespace

QString PortUse::message() const {
    return remedy.isEmpty() ? reason : reason + QStringLiteral(" — ") + remedy;
}

std::optional<PortUse> findPortUse(const QString& devicePath, const PortUseSources& sources) {
    const std::optional<Device> device = deviceOf(devicePath);
    if (!device || !isTtyDevice(device->number, sources.procDir)) return std::nullopt;
    const auto lock = findLockClaim(lockFileNames(device->given, device->path), sources.lockDirs);
    if (lock && lock->pid > 0) return processUse(*device, {lock->pid}, sources.procDir);
    const DeviceHolders holders = deviceHolders(device->path, device->number, sources.procDir);
    if (!holders.users.isEmpty()) return processUse(*device, holders.users, sources.procDir);
    const QString kernelName = kernelTtyName(device->path);
    if (isKernelConsole(kernelName, sources.sysClassTty))
        return useBy(*device, porttexts::kConsole, consoleRemedy(kernelName));
    if (lock) return orphanLockUse(*device, lock->file);
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
    const auto lock = findLockClaim(lockFileNames(given, resolved.isEmpty() ? given : resolved),
                                    lockDir.isEmpty() ? defaults.lockDirs : QStringList{lockDir});
    return lock && lock->pid > 0 ? processLabel(lock->pid, defaults.procDir) : QString();
}

}  // namespace qelv
