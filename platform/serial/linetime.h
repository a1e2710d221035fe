#pragma once

#include <QtGlobal>

#include <chrono>

namespace qelv {

// Time `bytes` take on the line at `baudRate` (ten bits a byte: start, eight data, stop) plus
// a margin for the kernel and the device's own latency. Non-positive rates count as 9600.
std::chrono::milliseconds drainBound(qint64 bytes, int baudRate);

// Whole milliseconds from now to `deadline`, 0 once it has passed: what a wait that takes an
// int timeout may still spend.
int msUntil(std::chrono::steady_clock::time_point deadline);

}  // namespace qelv
