#include "portguard.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <csignal>
#include <fcntl.h>
#include <linux/serial.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace qelv {

namespace {

QString processName(qint64 pid) {
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    if (!comm.open(QIODevice::ReadOnly)) return QStringLiteral("PID %1").arg(pid);
    return QStringLiteral("PID %1 (%2)").arg(pid).arg(QString::fromLocal8Bit(comm.readAll().trimmed()));
}

bool isAlive(qint64 pid) {
    if (pid <= 0 || pid == ::getpid() || pid > INT32_MAX) return false;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

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

[[noreturn]] void busy(const QString& path, const QString& holder) {
    const QString who = holder.isEmpty() ? QString() : QStringLiteral(" — %1").arg(holder);
    throw ModemError(errc::kPortOpenFailed,
                     QStringLiteral("使用中です: %1%2").arg(path, who), OpenFailure::Busy);
}

[[noreturn]] void fail(const ProbeResult& result) {
    throw ModemError(errc::kPortOpenFailed, result.reason, result.failure);
}

bool isPhantomUart(int fd) {
    serial_struct info{};
    // Pseudo-terminals and USB adapters without the ioctl are real enough.
    if (::ioctl(fd, TIOCGSERIAL, &info) != 0) return false;
    return info.type == PORT_UNKNOWN;
}

}  // namespace

QString lockFileHolder(const QString& devicePath, const QString& lockDir) {
    const QString name = QFileInfo(devicePath).fileName();
    QStringList names{QStringLiteral("LCK..") + name};
    if (devicePath.startsWith(QLatin1String("/dev/pts/")))
        names << QStringLiteral("LCK..pts_") + name;
    const QStringList dirs = lockDir.isEmpty()
                                 ? QStringList{QStringLiteral("/run/lock"), QStringLiteral("/var/lock")}
                                 : QStringList{lockDir};
    for (const QString& dir : dirs) {
        for (const QString& file : names) {
            QFile lock(QDir(dir).filePath(file));
            if (!lock.open(QIODevice::ReadOnly)) continue;
            const qint64 pid = lockFilePid(lock.read(128));
            if (isAlive(pid)) return processName(pid);
        }
    }
    return {};
}

QString flockHolders(const QString& devicePath) {
    struct stat node {};
    if (::stat(QFile::encodeName(devicePath).constData(), &node) != 0) return {};
    // /proc/locks names the file as major:minor:inode of the filesystem it lives on.
    const QString file = QStringLiteral("%1:%2:%3")
                             .arg(major(node.st_dev), 2, 16, QLatin1Char('0'))
                             .arg(minor(node.st_dev), 2, 16, QLatin1Char('0'))
                             .arg(node.st_ino);
    QFile locks(QStringLiteral("/proc/locks"));
    if (!locks.open(QIODevice::ReadOnly)) return {};
    QStringList holders;
    for (const QByteArray& line : locks.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 6 || fields.at(1) != "FLOCK" || QString::fromLatin1(fields.at(5)) != file)
            continue;
        const qint64 pid = fields.at(4).toLongLong();
        if (pid > 0 && pid != ::getpid()) holders << processName(pid);
    }
    return holders.join(QStringLiteral(", "));
}

QString openHolders(const QString& devicePath) {
    QStringList holders;
    const QString self = QString::number(::getpid());
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        if (pid == self || !pid.at(0).isDigit()) continue;
        const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
        for (const QString& fd : fds.entryList(QDir::System | QDir::NoDotAndDotDot)) {
            if (QFileInfo(fds.filePath(fd)).symLinkTarget() == devicePath) {
                holders << processName(pid.toLongLong());
                break;
            }
        }
    }
    return holders.join(QStringLiteral(", "));
}

std::unique_ptr<PortGuard> PortGuard::acquire(const QString& devicePath) {
    if (const ProbeResult pre = precheckPort(devicePath); pre.failure != OpenFailure::None) fail(pre);
    if (const QString holder = lockFileHolder(devicePath); !holder.isEmpty()) busy(devicePath, holder);
    const QByteArray native = QFile::encodeName(devicePath);
    const int fd = ::open(native.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) fail(diagnosePort(devicePath));
    std::unique_ptr<PortGuard> guard(new PortGuard(fd));
    if (::isatty(fd) != 1)
        fail({OpenFailure::NotSerial, QStringLiteral("シリアルデバイスではありません: %1").arg(devicePath)});
    if (isPhantomUart(fd))
        fail({OpenFailure::Absent,
              QStringLiteral("デバイスがありません: %1 (ハードウェアのないポート)").arg(devicePath)});
    int exclusive = 0;
    if (::ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive) busy(devicePath, openHolders(devicePath));
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const QString holders = flockHolders(devicePath);
        busy(devicePath, holders.isEmpty() ? openHolders(devicePath) : holders);
    }
    return guard;
}

PortGuard::~PortGuard() { ::close(m_fd); }

}  // namespace qelv
