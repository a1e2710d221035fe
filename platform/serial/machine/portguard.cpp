#include "portguard.h"
#include "porttexts.h"

#include "holderwatch.h"
#include "leftovers.h"
#include "procholders.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <cerrno>

namespace qelv {

namespace {

[[noreturn]] void busy(const QString& message) {
    throw ModemError(errc::kPortOpenFailed, message, OpenFailure::Busy);
}

[[noreturn]] void fail(const ProbeResult& result) {
    throw ModemError(errc::kPortOpenFailed, result.reason, result.failure);
}

// Exclusive mode with no user in sight. A pseudo-terminal keeps it while its master is open,
// so a program killed before it could clear it leaves it on for the next comer.
[[noreturn]] void exclusiveWithoutUser(const QString& path, const PortUseSources& sources) {
    const QString farEnd = farEndHolders(path, sources);
    if (!farEnd.isEmpty()) busy(porttexts::kStaleExclusive.arg(path, farEnd));
    busy(porttexts::kExclusiveUnseen.arg(path));
}

void checkFlock(int fd, const QString& path) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return;
    const QString holders = flockHolders(path);
    busy(porttexts::kBusyBy.arg(path, holders.isEmpty() ? porttexts::kFlockBySomeone : holders));
}

bool isPhantomUart(int fd) {
    serial_struct info{};
    // Pseudo-terminals and USB adapters without the ioctl are real enough.
    if (::ioctl(fd, TIOCGSERIAL, &info) != 0) return false;
    return info.type == PORT_UNKNOWN;
}

// Exclusive mode that a killed run of ours left is cleared, with the lock file that says so;
// anyone else's keeps the port shut.
void checkOpened(int fd, const QString& path, const PortUseSources& sources,
                 const Leftovers& leftovers) {
    if (::isatty(fd) != 1) fail({OpenFailure::NotSerial, porttexts::kNotSerial.arg(path)});
    if (isPhantomUart(fd)) fail({OpenFailure::Absent, porttexts::kPhantomUart.arg(path)});
    int exclusive = 0;
    const bool excl = ::ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive;
    if (excl && leftovers.locks.empty()) exclusiveWithoutUser(path, sources);
    checkFlock(fd, path);
    clearLeftovers(leftovers, fd, excl, path);
}

}  // namespace

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
        if (fields.size() < 6 || fields.at(1) != "FLOCK" ||
            QString::fromLatin1(fields.at(5)) != file)
            continue;
        const qint64 pid = fields.at(4).toLongLong();
        if (pid > 0 && pid != ::getpid()) holders << processLabel(pid, QStringLiteral("/proc"));
    }
    return holders.join(QStringLiteral(", "));
}

std::unique_ptr<PortGuard> PortGuard::acquire(const QString& devicePath,
                                              const PortUseSources& sources) {
    const QString given = QFileInfo(devicePath).absoluteFilePath();
    if (const ProbeResult pre = precheckPort(given); pre.failure != OpenFailure::None) fail(pre);
    if (const auto use = findPortUse(given, sources)) busy(use->message());
    const QString path = QFileInfo(given).canonicalFilePath();
    const Leftovers leftovers = findLeftovers(given, path, sources);
    int fd = -1;
    {
        const OwnOpen own(path);
        fd =
            ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    }
    if (fd < 0 && errno == EBUSY) {
        // Only root opens a device in exclusive mode: a user cannot clear what we left there.
        if (!leftovers.locks.empty()) busy(exclusiveLeftoverReason(leftovers, path));
        exclusiveWithoutUser(path, sources);
    }
    if (fd < 0) fail(diagnosePort(path));
    std::unique_ptr<PortGuard> guard(new PortGuard(fd));
    checkOpened(fd, path, sources, leftovers);
    return guard;
}

PortGuard::~PortGuard() {
    ::close(m_fd);
}

}  // namespace qelv
