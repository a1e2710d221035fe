#pragma once

#include <QString>

namespace qelv {

// The device's name below /dev ("ttyS0", "pts/3"); the file name for a node elsewhere.
QString devName(const QString& devicePath);

// The kernel's name of a tty device, the one sysfs, console= and console/active use. For most
// ttys it is the node's name below /dev; a pseudo-terminal slave /dev/pts/N is "ptsN".
QString kernelTtyName(const QString& devicePath);

// Whether the kernel writes its console to the tty `kernelName`: listed in
// <sysClassTty>/console/active (e.g. "tty0 ttyS0"), or its own console attribute says so.
bool isKernelConsole(const QString& kernelName, const QString& sysClassTty);

}  // namespace qelv
