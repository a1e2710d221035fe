#pragma once

#include "linetime.h"

class QSerialPort;

namespace qelv {

// Waits until the output pending in QSerialPort's write buffer and in the kernel's tty
// output queue has gone to the line, for at most drainBound of what was pending on entry.
// Returns true when nothing is left, false when the deadline passed first; nothing is ever
// dropped here. Input is not read meanwhile. Returns at once when nothing is pending.
bool drainOutput(QSerialPort& port, int baudRate);

}  // namespace qelv
