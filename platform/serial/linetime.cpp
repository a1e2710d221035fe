#include "linetime.h"

namespace qelv {

namespace {

constexpr std::chrono::milliseconds kMargin{150};

}  // namespace

std::chrono::milliseconds drainBound(qint64 bytes, int baudRate) {
    const qint64 rate = baudRate > 0 ? baudRate : 9600;
    return std::chrono::milliseconds(bytes * 10 * 1000 / rate) + kMargin;
}

}  // namespace qelv
