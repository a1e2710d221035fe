#pragma once

#include "portprobe.h"
#include "portuse.h"

#include <QString>

#include <memory>

namespace qelv {

// Our claim on a device while we use it, and the check that nobody else claims it.
//
// Before the device is opened at all, findPortUse looks for another program using it (a
// UUCP lock file, another process with it open, the kernel console): the open alone raises
// DTR. After the open two checks need the descriptor: an flock on the device (picocom, tio)
// and exclusive mode (TIOCEXCL; the serial port sets that one on its own descriptor). The
// guard holds its own descriptor with the flock for as long as it lives, which also keeps
// the device from seeing a last close between the checks and the real open. What a killed
// run of this program left on the device (its lock file, exclusive mode) is cleared after the
// checks, with a note (see leftovers.h).
class PortGuard {
public:
    // `devicePath` may be a link; lock files under its own name count too. Throws ModemError
    // (kPortOpenFailed with the OpenFailure and a message for the user, naming the holder and
    // how to free the port where that is known) when the device is absent, refused, not a
    // terminal, or held by another program. Exclusive mode with nobody but a
    // pseudo-terminal's far end holding the device (left on by a program that was killed) is
    // Busy too, and said so, unless a killed run of ours left it. `sources` is where
    // findPortUse and the lock files are looked for.
    static std::unique_ptr<PortGuard> acquire(const QString& devicePath,
                                              const PortUseSources& sources = {});
    ~PortGuard();
    PortGuard(const PortGuard&) = delete;
    PortGuard& operator=(const PortGuard&) = delete;

private:
    explicit PortGuard(int fd) : m_fd(fd) {}
    int m_fd;
};

// Other processes holding an flock on the device, as "PID n (name)", comma-separated.
QString flockHolders(const QString& devicePath);

}  // namespace qelv
