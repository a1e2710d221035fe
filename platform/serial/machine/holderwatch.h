#pragma once

#include "procholders.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <cstdint>

namespace qelv {

// The holders of the device `node` (its resolved path) whose number is `device`, from a table
// of every process's descriptors that is kept between questions instead of made anew for each:
// with thousands of processes one pass costs hundreds of milliseconds, and a survey asks before
// every open.
//
// Why the table can be trusted. The device nodes asked about are watched for opens (inotify's
// IN_OPEN, which every open of the node's inode raises, through any link or bind mount, by
// TIOCGPTPEER and through /proc/PID/fd too). Until the node is opened, no process can come to
// hold the device but by getting a descriptor from one that holds it already: inherited by a
// child, passed over a socket, taken with pidfd_getfd. That one is in the table, and the
// device counts as held; when it is found to have let go, a new pass is made, since it may
// have handed the device on. So a pass serves a device exactly while
//  - the device was watched before the pass began, and nothing has opened it since (our own
//    opens apart, see OwnOpen);
//  - this process holds no descriptor on it (we are left out of every pass, so what our own
//    children inherit is invisible to it);
//  - the pass is younger than kWatchedPassLife. A device node made elsewhere with mknod (a
//    container's --device) is another inode, which no watch sees: only a new pass finds a
//    holder that opened the device through it, so none is older than this.
// A device the pass cannot vouch for (watched only since, unwatchable for want of read
// permission or watches, or held by this process) but that nobody is known to have opened is
// served as before there were watches: by a pass younger than kHolderPassLife that has not
// been asked about it, with the processes started since scanned and added. Anything else
// makes a new pass.
//
// Processes of other users are invisible unless run as root, as in any pass. Users the table
// names are looked at again on their own descriptors, so one that has let go is not reported.
// Safe to call from any thread.
DeviceHolders deviceHolders(const QString& node, dev_t device, const QString& procDir);

// Watches `nodes` (device paths, links resolved; others ignored) for opens from now on, so
// that the next pass serves each of them. For a caller that is about to ask about several
// devices one after another: a device first watched after the pass makes a new pass.
void watchForOpens(const QStringList& nodes);

// How many passes over every process this process has made; for tests and the bench.
std::uint64_t holderPassesMade();

inline constexpr std::chrono::milliseconds kHolderPassLife{100};
inline constexpr std::chrono::seconds kWatchedPassLife{30};

// This process's own open of a device is no sign of another holder. Lives across each such
// open: what the watch saw before it is someone else's, what it saw during it is ours. An open
// by another program at the very same moment may be taken for ours, the race every look
// before an open has.
class OwnOpen {
public:
    explicit OwnOpen(const QString& node);
    ~OwnOpen();
    OwnOpen(const OwnOpen&) = delete;
    OwnOpen& operator=(const OwnOpen&) = delete;

private:
    dev_t m_device = 0;
};

}  // namespace qelv
