#include "leftovers.h"
#include "porttexts.h"

#include "modemerror.h"

#include <QFile>

#include <sys/ioctl.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <mutex>

namespace qelv {

namespace {

std::mutex& handlerGuard() {
    static std::mutex guard;
    return guard;
}

std::function<void(const QString&)>& handler() {
    static std::function<void(const QString&)> notes;
    return notes;
}

void tell(const QString& note) {
    std::function<void(const QString&)> current;
    {
        const std::lock_guard<std::mutex> lock(handlerGuard());
        current = handler();
    }
    if (current) current(note);
}

}  // namespace

void setClearedLeftoverHandler(std::function<void(const QString& note)> noteHandler) {
    const std::lock_guard<std::mutex> lock(handlerGuard());
    handler() = std::move(noteHandler);
}

Leftovers findLeftovers(const QString& given, const QString& path, const PortUseSources& sources) {
    Leftovers found;
    for (const LockClaim& claim : lockClaims(lockFileNames(given, path), sources.lockDirs))
        if (claim.state == LockClaim::State::Leftover) found.locks.push_back(claim);
    return found;
}

QString exclusiveLeftoverReason(const Leftovers& leftovers, const QString& path) {
    const LockClaim& lock = leftovers.locks.front();
    return porttexts::kLeftoverExclusiveStuck.arg(path, lock.program).arg(lock.pid);
}

void clearLeftovers(const Leftovers& leftovers, int fd, bool exclusive, const QString& path) {
    if (leftovers.locks.empty()) return;
    QStringList cleared;
    for (const LockClaim& lock : leftovers.locks) {
        if (::unlink(QFile::encodeName(lock.file).constData()) != 0 && errno != ENOENT)
            throw ModemError(errc::kPortOpenFailed,
                             porttexts::kLeftoverLockStuck.arg(path, lock.program)
                                 .arg(lock.pid)
                                 .arg(lock.file, QString::fromLocal8Bit(std::strerror(errno))),
                             OpenFailure::Busy);
        cleared << porttexts::kLeftoverLock.arg(lock.file);
    }
    if (exclusive && ::ioctl(fd, TIOCNXCL) == 0) cleared << porttexts::kLeftoverExclusive;
    const LockClaim& first = leftovers.locks.front();
    tell(porttexts::kLeftoverCleared.arg(path, first.program)
             .arg(first.pid)
             .arg(cleared.join(porttexts::kLeftoverAnd)));
}

}  // namespace qelv
