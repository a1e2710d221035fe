// The system's tick count at its two wraps, read through the real clock shifted next to them:
// the count is the low 32 bits of the milliseconds, taken as two's complement, and a wait that
// spans a wrap on it ends as the unit's wrap rule says, never early.

#include "fakes.h"
#include "mdcomm.h"
#include "qteventpump.h"
#include "tickclock.h"
#include "tickshift.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <thread>

using namespace qelv;
using namespace qelv::test;
using std::chrono::milliseconds;
using std::chrono::steady_clock;

namespace {

struct SystemTick : ::testing::Test {
    void TearDown() override { unshiftTickCount(); }
};

std::int64_t msBetween(steady_clock::time_point from, steady_clock::time_point to) {
    return std::chrono::duration_cast<milliseconds>(to - from).count();
}

TEST_F(SystemTick, CountRunsOnThroughBothWrapsAsThirtyTwoBitTwosComplement) {
    const SystemTickClock clock;
    // 10 ms before each passage: from the largest value to the smallest, and from -1 to 0.
    for (const std::int32_t start : {INT32_MAX - 9, -10}) {
        const auto shiftFrom = steady_clock::now();
        shiftTickCount(start);
        const auto shiftTo = steady_clock::now();
        std::this_thread::sleep_for(milliseconds(50));
        const auto readFrom = steady_clock::now();
        const std::int32_t reading = clock.tickCount();
        const auto readTo = steady_clock::now();
        // Elapsed on the count, modulo 2^32, against elapsed on a clock that never wraps.
        const std::uint32_t counted =
            static_cast<std::uint32_t>(reading) - static_cast<std::uint32_t>(start);
        EXPECT_GE(counted, msBetween(shiftTo, readFrom) - 1) << start;
        EXPECT_LE(counted, msBetween(shiftFrom, readTo) + 1) << start;
        if (start > 0)
            EXPECT_LT(reading, INT32_MIN + 100'000) << "past the top it reads negative";
        else
            EXPECT_GE(reading, 0) << "past -1 it reads from 0 up";
    }
}

// The program's event pump, giving up on a wait that a count stuck at the wrap would never end.
struct BoundedPump final : EventPump {
    void pumpPending() override {
        inner.pumpPending();
        giveUpAfterAWhile();
    }
    void waitForEvents(milliseconds timeout) override {
        inner.waitForEvents(std::min(timeout, milliseconds(100)));
        giveUpAfterAWhile();
    }
    void pumpCloseRequests() override { inner.pumpCloseRequests(); }
    void giveUpAfterAWhile() const {
        if (steady_clock::now() - started > std::chrono::seconds(5))
            throw std::runtime_error("the wait does not end");
    }
    QtEventPump inner;
    steady_clock::time_point started = steady_clock::now();
};

// A 200 ms wait that starts 50 ms below the top of the range ends 2 ms late by the wrap rule,
// however the real clock's readings fall; one across the passage from -1 to 0 needs nothing.
TEST_F(SystemTick, WaitsAcrossAWrapOnTheRealClockEndsNeverEarly) {
    FakeLine line;
    SystemTickClock clock;
    for (const auto& [start, least] : {std::pair{INT32_MAX - 49, 202}, std::pair{-50, 200}}) {
        BoundedPump pump;
        Mdcomm unit(clock, pump, line.port);
        shiftTickCount(start);
        const auto from = steady_clock::now();
        EXPECT_NO_THROW(unit.Waits(200)) << start;
        const std::int64_t took = msBetween(from, steady_clock::now());
        EXPECT_GE(took, least - 1) << start;  // the steady clock's own millisecond rounding
    }
}

}  // namespace
