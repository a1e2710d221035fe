#pragma once

#include "portprobe.h"

#include <QString>

#include <memory>

namespace qelv {

// Our claim on a device while we use it, and the check that nobody else claims it.
//
// Programs that share serial ports announce their use in one of three ways, and we honour
// and make all three: a UUCP lock file (LCK..name in /run/lock, as minicom and pppd write;
// one whose PID is dead does not count), an flock on the device (picocom, tio), and
// exclusive mode (TIOCEXCL; the serial port sets that one on its own descriptor). The
// guard holds its own descriptor with the flock for as long as it lives, which also keeps
// the device from seeing a last close between the checks and the real open.
class PortGuard {
public:
    // Throws ModemError (kPortOpenFailed with the OpenFailure and a reason for the user)
    // when the device is absent, refused, not a terminal, or held by another program.
    static std::unique_ptr<PortGuard> acquire(const QString& devicePath);
    ~PortGuard();
    PortGuard(const PortGuard&) = delete;
    PortGuard& operator=(const PortGuard&) = delete;

private:
    explicit PortGuard(int fd) : m_fd(fd) {}
    int m_fd;
};

// The live process named by a UUCP-style lock file for the device, as "PID n (name)";
// empty when there is none or its process is gone. Looks in /run/lock and /var/lock, under
// both the device's own name and the name Qt gives pseudo-terminals (pts_N).
QString lockFileHolder(const QString& devicePath, const QString& lockDir = {});

// Other processes that have the device open, as "PID n (name)", comma-separated.
QString openHolders(const QString& devicePath);
// Other processes holding an flock on the device, the same way.
QString flockHolders(const QString& devicePath);

}  // namespace qelv
