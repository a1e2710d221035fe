#pragma once

#include <QtGlobal>

#include <chrono>

namespace qelv {

// Time `bytes` take on the line at `baudRate` (ten bits a byte: start, eight data, stop) plus
// a margin for the kernel and the device's own latency. Non-positive rates count as 9600.
std::chrono::milliseconds drainBound(qint64 bytes, int baudRate);

}  // namespace qelv
