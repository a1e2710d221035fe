#pragma once

#include <QString>

namespace qelv {

// One line for the user on how to free a port from the program `comm` (a getty,
// ModemManager, brltty); empty when no way is well known. `devicePath` is the device itself,
// not a link to it, so that unit names come out right.
QString remedyForProgram(const QString& comm, const QString& devicePath);

// How to take the kernel console off the tty `kernelName`.
QString consoleRemedy(const QString& kernelName);

}  // namespace qelv
