#include "uucplock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <cstring>

namespace qelv {

namespace {

// What a lock file says. UUCP lock files hold the PID as ASCII (often padded to ten
// characters) or, in the old binary form, as a 4-byte integer; Qt's add lines with the
// program's name, the host name, the machine's id and the boot's id.
struct LockContent {
    qint64 pid = -1;
    QString program, host;
    QByteArray machineId, bootId;
};

LockContent parse(const QByteArray& content) {
    LockContent lock;
    const QList<QByteArray> lines = content.split('\n');
    bool ok = false;
    lock.pid = lines.value(0).trimmed().toLongLong(&ok);
    if (!ok) {
        lock.pid = -1;
        if (content.size() == 4) {
            qint32 binary = 0;
            std::memcpy(&binary, content.constData(), 4);
            lock.pid = binary;
        }
        return lock;
    }
    lock.program = QString::fromUtf8(lines.value(1));
    lock.host = QString::fromUtf8(lines.value(2));
    lock.machineId = lines.value(3);
    lock.bootId = lines.value(4);
    return lock;
}

// The file name of a process's executable, empty when it cannot be read (another user's
// process, without root). A replaced executable reads with " (deleted)" after it.
QString programOf(const QString& exeLink) {
    QString name = QFileInfo(QFile::symLinkTarget(exeLink)).fileName();
    name.remove(QStringLiteral(" (deleted)"));
    return name;
}

bool onThisMachine(const LockContent& lock) {
    const QByteArray ourId = QSysInfo::machineUniqueId();
    if (!lock.machineId.isEmpty() && !ourId.isEmpty()) return lock.machineId == ourId;
    return lock.host.isEmpty() || lock.host == QSysInfo::machineHostName();
}

// Qt's own test: a process that runs another program than the one named holds a reused PID;
// a lock from before the machine's last boot names no process of this boot.
bool holdsItStill(const LockContent& lock) {
    if (!lock.bootId.isEmpty() && onThisMachine(lock) && lock.bootId != QSysInfo::bootUniqueId())
        return false;
    if (!isOtherLiveProcess(lock.pid)) return false;
    if (lock.program.isEmpty() || !onThisMachine(lock)) return true;
    const QString running = programOf(QStringLiteral("/proc/%1/exe").arg(lock.pid));
    return running.isEmpty() || running == lock.program;
}

LockClaim::State stateOf(const LockContent& lock) {
    if (lock.pid <= 0) return LockClaim::State::NoPid;
    if (lock.pid == ::getpid()) return LockClaim::State::Ours;
    if (holdsItStill(lock)) return LockClaim::State::Live;
    const bool ours = !lock.program.isEmpty() && lock.program == ownProgramName();
    return ours && onThisMachine(lock) ? LockClaim::State::Leftover : LockClaim::State::Stale;
}

QString deviceName(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    return name.isEmpty() ? QString() : QStringLiteral("LCK..") + name;
}

}  // namespace

bool isOtherLiveProcess(qint64 pid) {
    if (pid <= 0 || pid == ::getpid() || pid > INT32_MAX) return false;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

QString ownProgramName() {
    static const QString name = programOf(QStringLiteral("/proc/self/exe"));
    return name;
}

QStringList lockFileNames(const QString& givenPath, const QString& devicePath) {
    QStringList names;
    for (const QString& path : {givenPath, devicePath}) {
        const QString name = deviceName(path);
        if (!name.isEmpty() && !names.contains(name)) names << name;
    }
    if (devicePath.startsWith(QLatin1String("/dev/pts/")))
        names << QStringLiteral("LCK..pts_") + QFileInfo(devicePath).fileName();
    return names;
}

std::vector<LockClaim> lockClaims(const QStringList& names, const QStringList& dirs) {
    std::vector<LockClaim> claims;
    QStringList seen;
    for (const QString& dir : dirs) {
        for (const QString& name : names) {
            const QString path = QDir(dir).absoluteFilePath(name);
            const QString real = QFileInfo(path).canonicalFilePath();
            if (real.isEmpty() || seen.contains(real)) continue;
            seen << real;
            QFile file(path);
            const LockContent lock =
                file.open(QIODevice::ReadOnly) ? parse(file.read(512)) : LockContent{};
            claims.push_back({path, lock.pid, lock.program, stateOf(lock)});
        }
    }
    return claims;
}

std::optional<LockClaim> firstClaim(const std::vector<LockClaim>& claims, LockClaim::State state) {
    for (const LockClaim& claim : claims)
        if (claim.state == state) return claim;
    return std::nullopt;
}

}  // namespace qelv
