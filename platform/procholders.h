#pragma once

#include <QList>
#include <QString>

#include <sys/types.h>

namespace qelv {

// The processes with a descriptor on a character device, split by what they are to it.
struct DeviceHolders {
    QList<qint64> users;    // hold the device itself and are not its far end
    QList<qint64> farEnds;  // hold the master of the pseudo-terminal that is the device
};

// Scans every process under `procDir` once, matching descriptors by device number (links and
// bind mounts name one device many ways), never by path. This process is left out, as are
// processes whose descriptors cannot be read (other users' when not run as root). A
// pseudo-terminal's master is /dev/ptmx (or /dev/pts/ptmx) with the slave's number in its
// fdinfo `tty-index`; its holder is the device, not a user, even with the slave open too.
DeviceHolders scanDeviceHolders(dev_t device, const QString& procDir);

// The slave number of a Unix 98 pseudo-terminal device, or -1 for any other device.
int ptyIndexOf(dev_t device);

// "PID n (comm)", or "PID n" when its name cannot be read.
QString processLabel(qint64 pid, const QString& procDir);
// The command name under `procDir`, empty when it cannot be read.
QString processComm(qint64 pid, const QString& procDir);

}  // namespace qelv
