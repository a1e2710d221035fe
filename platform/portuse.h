#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace qelv {

// Who else uses a device, found without opening it (an open alone raises DTR and can reset
// the device behind it).
struct PortUse {
    QString holder;  // "PID 812 (agetty)", "システムコンソール", ...; empty when nobody is named
    QString reason;  // one line for the user, the holder included
    QString remedy;  // one line on how to free the port where that is well known; may be empty
};

// Where the descriptor-free checks look; tests point these at folders of their own.
struct PortUseSources {
    QString procDir = QStringLiteral("/proc");
    QString sysClassTty = QStringLiteral("/sys/class/tty");
    QStringList lockDirs = {QStringLiteral("/run/lock"), QStringLiteral("/var/lock")};
};

// The use that makes `devicePath` busy, or nothing when these checks see none: another
// process with the device open, the kernel console, a live UUCP lock. Never opens the device.
// Checks that need a descriptor (flock, exclusive mode) are the guard's, after its open.
std::optional<PortUse> findPortUse(const QString& devicePath, const PortUseSources& sources = {});

}  // namespace qelv
