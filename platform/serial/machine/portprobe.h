#pragma once

#include "modemerror.h"

#include <QString>

namespace qelv {

struct ProbeResult {
    OpenFailure failure = OpenFailure::None;
    QString reason;  // for the user; empty when the port may be opened
};

// Checks that need no open: the path exists and is a character device. Both functions name
// the path made absolute in their reasons; a refused open names the device's mode and group.
ProbeResult precheckPort(const QString& path);

// Finds out why a device could not be opened, without writing to it: whether it exists,
// may be opened by this user, is a terminal, and is not held by another program.
ProbeResult diagnosePort(const QString& path);

}  // namespace qelv
