#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace qelv {

// A UUCP lock file (LCK..name, as cu, minicom and pppd write) that claims a device.
struct LockClaim {
    QString file;     // absolute path of the lock file
    qint64 pid = -1;  // its live process; -1 when the file is empty or cannot be read
};

// The lock file names a device may be claimed under: the name of the path as given (`cu -l
// /dev/serial/by-id/x` locks the link's name), the name of the device it resolves to, and
// for a pseudo-terminal the pts_N name Qt uses.
QStringList lockFileNames(const QString& givenPath, const QString& devicePath);

// The claim on `names` in `dirs`: the first file whose PID is alive (other than ours), else
// the first file that names no PID at all. A file whose process is gone is stale and does
// not count.
std::optional<LockClaim> findLockClaim(const QStringList& names, const QStringList& dirs);

// Whether `pid` is a live process other than this one.
bool isOtherLiveProcess(qint64 pid);

}  // namespace qelv
