#include "tickclock.h"
#include "tickshift.h"

#include <atomic>
#include <ctime>

namespace qelv {

namespace {

// Added to the milliseconds since boot, modulo 2^64; only a test sets it.
std::atomic<std::uint64_t> g_shift{0};

std::uint64_t bootMilliseconds() {
    timespec ts{};
    clock_gettime(CLOCK_BOOTTIME, &ts);
    return static_cast<std::uint64_t>(ts.tv_sec) * 1000u +
           static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u;
}

}  // namespace

std::int32_t SystemTickClock::tickCount() const {
    const std::uint64_t ms = bootMilliseconds() + g_shift.load(std::memory_order_relaxed);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(ms));
}

void shiftTickCount(std::int32_t count) {
    g_shift.store(static_cast<std::uint32_t>(count) - bootMilliseconds(),
                  std::memory_order_relaxed);
}

void unshiftTickCount() {
    g_shift.store(0, std::memory_order_relaxed);
}

}  // namespace qelv
