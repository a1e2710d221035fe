#include "uucplock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <cstring>

namespace qelv {

namespace {

// UUCP lock files hold the PID as ASCII (often padded to ten characters) or, in the old
// binary form, as a 4-byte integer.
qint64 lockFilePid(const QByteArray& content) {
    bool ok = false;
    const qint64 pid = content.split('\n').value(0).trimmed().toLongLong(&ok);
    if (ok) return pid;
    if (content.size() == 4) {
        qint32 binary = 0;
        std::memcpy(&binary, content.constData(), 4);
        return binary;
    }
    return -1;
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

std::optional<LockClaim> findLockClaim(const QStringList& names, const QStringList& dirs) {
    std::optional<LockClaim> orphan;
    for (const QString& dir : dirs) {
        for (const QString& name : names) {
            const QString path = QDir(dir).absoluteFilePath(name);
            if (!QFileInfo::exists(path)) continue;
            QFile lock(path);
            const qint64 pid = lock.open(QIODevice::ReadOnly) ? lockFilePid(lock.read(128)) : -1;
            if (isOtherLiveProcess(pid)) return LockClaim{path, pid};
            if (pid <= 0 && !orphan) orphan = LockClaim{path, -1};
        }
    }
    return orphan;
}

}  // namespace qelv
