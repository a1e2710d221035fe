#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace qelv {

// A lock file (LCK..name) that claims a device: UUCP's, as cu, minicom and pppd write, with
// the PID alone; or Qt's, as QSerialPort writes, with the PID, the program's name, the host
// and its boot.
struct LockClaim {
    enum class State {
        Live,      // its process runs, and is not this one
        Ours,      // this very process's
        Leftover,  // this program's, on this machine, and its process is gone: a killed run's
        Stale,     // another program's (or another machine's) that no live process here holds
        NoPid,     // empty, or no process number in it
    };
    QString file;     // absolute path of the lock file
    qint64 pid = -1;  // -1 when the file is empty or cannot be read
    QString program;  // the program that wrote it, where the file says (Qt's do)
    State state = State::NoPid;
};

// The lock file names a device may be claimed under: the name of the path as given (`cu -l
// /dev/serial/by-id/x` locks the link's name), the name of the device it resolves to, and
// for a pseudo-terminal the pts_N name Qt uses.
QStringList lockFileNames(const QString& givenPath, const QString& devicePath);

// Every lock file on `names` in `dirs`, each once (/var/lock is /run/lock on most systems).
std::vector<LockClaim> lockClaims(const QStringList& names, const QStringList& dirs);
// The first of `claims` in `state`.
std::optional<LockClaim> firstClaim(const std::vector<LockClaim>& claims, LockClaim::State state);

// Whether `pid` is a live process other than this one.
bool isOtherLiveProcess(qint64 pid);

// This program's name as Qt writes it into a lock file: its executable's file name.
QString ownProgramName();

}  // namespace qelv
