#pragma once

#include <QtGlobal>

#include <chrono>

class QSerialPort;

namespace qelv {

// Time `bytes` take on the line at `baudRate` (ten bits a byte: start, eight data, stop) plus
// a margin for the kernel and the device's own latency. Non-positive rates count as 9600.
std::chrono::milliseconds drainBound(qint64 bytes, int baudRate);

// Waits until the output pending in QSerialPort's write buffer and in the kernel's tty
// output queue has gone to the line, for at most drainBound of what was pending on entry.
// Returns true when nothing is left, false when the deadline passed first; nothing is ever
// dropped here. Input is not read meanwhile. Returns at once when nothing is pending.
bool drainOutput(QSerialPort& port, int baudRate);

}  // namespace qelv
