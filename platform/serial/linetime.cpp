#include "linetime.h"

#include <algorithm>

namespace qelv {

namespace {

constexpr std::chrono::milliseconds kMargin{150};

}  // namespace

std::chrono::milliseconds drainBound(qint64 bytes, int baudRate) {
    const qint64 rate = baudRate > 0 ? baudRate : 9600;
    return std::chrono::milliseconds(bytes * 10 * 1000 / rate) + kMargin;
}

int msUntil(std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
}

}  // namespace qelv
