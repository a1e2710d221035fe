#pragma once

/// \file
/// Who else uses a device, found without opening it.

#include "qelvexport.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace qelv {

/// Who else uses a device, found without opening it (an open alone raises DTR and can reset
/// the device behind it).
struct QELV_EXPORT PortUse {
    QString holder;  ///< "PID 812 (agetty)", "システムコンソール", a lock file; never empty
    QString reason;  ///< one line for the user, the holder included
    QString remedy;  ///< one line on how to free the port where that is well known; may be empty

    /// Reason and remedy on one line, as the survey's notes and `qel-v at` show a message.
    QString message() const;
};

/// Where the descriptor-free checks look; tests point these at folders of their own.
struct PortUseSources {
    QString procDir = QStringLiteral("/proc");               ///< the process table
    QString sysClassTty = QStringLiteral("/sys/class/tty");  ///< the kernel's ttys
    /// The folders UUCP lock files are looked for in.
    QStringList lockDirs = {QStringLiteral("/run/lock"), QStringLiteral("/var/lock")};
};

/// The use that makes `devicePath` busy, or nothing when these checks see none, in this order:
///  - a lock file (LCK..name, UUCP's or Qt's) of a live process, under the name of the path
///    as given or of the device it resolves to;
///  - another process with the device open, matched by device number; a pseudo-terminal's
///    far end (the holder of its master) is the device, not a user;
///  - the kernel console on that tty;
///  - a lock file that no live process holds: the reason names the file (and the program
///    and PID in it), the remedy says to remove it. Such a file is left alone; a lock file
///    that a killed run of this same program left (naming it, this machine, a PID that is
///    gone) is no use: the next open clears it.
///
/// Processes of other users are invisible unless run as root. Never opens the device; a path
/// that is not a tty (a character device of a driver in `<procDir>/tty/drivers`) has no use. Checks
/// that need a descriptor (flock, exclusive mode) are the guard's, after its open.
QELV_EXPORT std::optional<PortUse> findPortUse(const QString& devicePath,
                                               const PortUseSources& sources = {});

/// findPortUse for each of `devicePaths`, in their order: one pass over the processes serves
/// them all, where asking one after another may take a pass for each.
QELV_EXPORT std::vector<std::optional<PortUse>> findPortUses(const QStringList& devicePaths,
                                                             const PortUseSources& sources = {});

/// Receives one line for the user each time an open through QtSerialPort clears what a killed
/// run of this same program left on the device (its lock file; exclusive mode, which a
/// pseudo-terminal keeps while its other side is held). Called on the opening thread; none
/// set: the lines are dropped. Replaces any handler set before.
QELV_EXPORT void setClearedLeftoverHandler(std::function<void(const QString& note)> handler);

/// The processes serving the pseudo-terminal `devicePath` as its device (holding its
/// master), as "PID n (name)", comma-separated; empty for other devices or when none is seen.
QELV_EXPORT QString farEndHolders(const QString& devicePath, const PortUseSources& sources = {});

/// The live process named by a UUCP lock file for the device, as "PID n (name)"; empty when
/// there is none or its process is gone. Looks in `lockDir`, or in the default lock folders.
QELV_EXPORT QString lockFileHolder(const QString& devicePath, const QString& lockDir = {});

}  // namespace qelv
