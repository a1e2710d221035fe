#pragma once

#include "portuse.h"
#include "uucplock.h"

#include <QString>

#include <vector>

namespace qelv {

// What a run of this program that was killed (SIGKILL ends it before it can tidy up) left on
// a device, found before the next open and cleared after it. On any tty its lock file stays
// (Qt's, naming this program and its PID). On a pseudo-terminal, exclusive mode stays as
// long as the device's side holds the master, if the run was killed before it turned it off
// again; on a serial line the last close ends it.
//
// Only what this program left is cleared: a lock file naming it, on this machine, whose
// process is gone; and exclusive mode on a device that such a lock file claims and that
// nobody but its own far end holds (findPortUse has found no user before this is asked).
// What another program left is never touched.
struct Leftovers {
    std::vector<LockClaim> locks;  // this program's lock files whose process is gone
};

// The leftovers on the device `path` (resolved; `given` as mapped, whose name a lock file may
// carry), in the lock folders of `sources`.
Leftovers findLeftovers(const QString& given, const QString& path, const PortUseSources& sources);

// Clears `leftovers` once the device is open on `fd`: removes the lock files, then turns
// exclusive mode off when `exclusive` says it is on, and hands one note saying what was
// cleared to the handler set with setClearedLeftoverHandler. Throws ModemError (Busy) when a
// lock file cannot be removed (another user's, in a sticky folder), clearing nothing then.
void clearLeftovers(const Leftovers& leftovers, int fd, bool exclusive, const QString& path);

// The device is in exclusive mode, which only root may open through (EBUSY), and a killed
// run of this program left it so: the reason, for a Busy ModemError.
QString exclusiveLeftoverReason(const Leftovers& leftovers, const QString& path);

}  // namespace qelv
