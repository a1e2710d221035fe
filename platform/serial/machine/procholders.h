#pragma once

#include <QList>
#include <QString>

#include <sys/types.h>

#include <unordered_map>
#include <unordered_set>

namespace qelv {

// The processes with a descriptor on a character device, split by what they are to it.
struct DeviceHolders {
    QList<qint64> users;    // hold the device itself and are not its far end
    QList<qint64> farEnds;  // hold the master of the pseudo-terminal that is the device
};

// Who holds which character device: one pass over every process's descriptors.
struct DescriptorTable {
    std::unordered_map<dev_t, QList<qint64>> devices;  // the device's number -> holders
    std::unordered_map<int, QList<qint64>> masters;    // pseudo-terminal index -> master holders
    std::unordered_set<qint64> scanned;                // processes the table has been told of
};

// Scans every process under `procDir` once, matching descriptors by device number (links and
// bind mounts name one device many ways), never by path. This process is left out, as are
// processes whose descriptors cannot be read (other users' when not run as root). A
// pseudo-terminal's master is /dev/ptmx (or /dev/pts/ptmx) with the slave's number in its
// fdinfo `tty-index`; its holder is the device, not a user, even with the slave open too.
DescriptorTable scanDescriptors(const QString& procDir);
// Adds the processes under `procDir` that `table` has not scanned yet; the ones it has are
// left as they were.
void scanNewProcesses(const QString& procDir, DescriptorTable& table);
// The holders of `device` in `table`, its far ends apart.
DeviceHolders holdersIn(const DescriptorTable& table, dev_t device);
// Whether process `pid` is, right now, a user of `device` (holds it and is not its far end).
bool stillUses(qint64 pid, dev_t device, const QString& procDir);
// Whether process `pid` holds a descriptor on `device` itself, far end or not.
bool holdsDevice(qint64 pid, dev_t device, const QString& procDir);

// The slave number of a Unix 98 pseudo-terminal device, or -1 for any other device.
int ptyIndexOf(dev_t device);

// "PID n (comm)", or "PID n" when its name cannot be read.
QString processLabel(qint64 pid, const QString& procDir);
// The command name under `procDir`, empty when it cannot be read.
QString processComm(qint64 pid, const QString& procDir);

}  // namespace qelv
