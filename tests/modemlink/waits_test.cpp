#include "fakes.h"
#include "mdcomm.h"
#include "tickspan.h"

#include <gtest/gtest.h>

using namespace qelv;
using namespace qelv::test;

namespace {

struct WaitsFixture : ::testing::Test {
    FakeLine line;
    Mdcomm unit{line.clock, line.pump, line.port};

    // Runs Waits and returns the true elapsed test time.
    std::int64_t wait(std::int32_t ms) {
        const std::int64_t before = line.clock.ms();
        unit.Waits(ms);
        return line.clock.ms() - before;
    }
};

TEST_F(WaitsFixture, ZeroOrNegativePumpsExactlyOnceAndReturns) {
    for (std::int32_t ms : {0, -1, -1000, INT32_MIN}) {
        const int pumpsBefore = line.pump.pumps();
        EXPECT_EQ(wait(ms), 0) << ms;
        EXPECT_EQ(line.pump.pumps() - pumpsBefore, 1) << ms;
    }
}

TEST_F(WaitsFixture, ReturnsOnTheFirstCycleThatReachesTheWaitNeverEarly) {
    EXPECT_EQ(wait(1000), 1000);
    // A clock that moves on its own (as while events run) ends the wait on the first cycle
    // at or past the mark.
    line.clock.setStepPerRead(7);
    const std::int64_t took = wait(1000);
    EXPECT_GE(took, 1000);
    EXPECT_LE(took, 1000 + 2 * 7);
}

TEST_F(WaitsFixture, SleepsInsteadOfSpinning) {
    wait(1000);
    EXPECT_LE(line.pump.pumps(), 3);
    EXPECT_EQ(line.pump.slept(), 1000);
}

// The true time a 1000 ms wait takes when the tick count starts at `base`.
std::int64_t waitFrom(std::int32_t base, std::int64_t stepPerRead = 0) {
    FakeLine line(base);
    line.clock.setStepPerRead(stepPerRead);
    Mdcomm unit(line.clock, line.pump, line.port);
    unit.Waits(1000);
    return line.clock.ms();
}

TEST(WaitsWrap, PassageFromMinusOneToZeroNeedsNoCorrection) {
    EXPECT_EQ(waitFrom(-300), 1000);
}

TEST(WaitsWrap, PassageAtTheTopOfTheRangeEndsTwoMillisecondsLate) {
    EXPECT_EQ(waitFrom(2'147'483'597), 1002);
}

TEST(WaitsWrap, LateEndHoldsWhateverTheCycleLengths) {
    // Cycles of 1 ms: the passage is met on its own cycle, corrected on two readings.
    const std::int64_t took = waitFrom(2'147'483'597, 1);
    EXPECT_GE(took, 1002);
    EXPECT_LE(took, 1004);
}

TEST(TickSpanRule, TableOfReadings) {
    struct Row {
        std::int32_t start;
        std::vector<std::int32_t> readings;
        std::int64_t lastElapsed;
    };
    const Row rows[] = {
        {100, {100, 600}, 500},
        {-5, {-1, 0, 994}, 999},                          // -1 to 0: plain difference
        {2'147'483'647, {INT32_MIN}, -2'147'483'648LL},   // first reading after the passage
        {2'147'483'647, {INT32_MIN, INT32_MIN + 10}, 9},  // second correction: 2 ms behind
    };
    for (const Row& row : rows) {
        TickSpan span(row.start);
        std::int64_t elapsed = 0;
        for (std::int32_t reading : row.readings) elapsed = span.elapsed(reading);
        EXPECT_EQ(elapsed, row.lastElapsed) << row.start;
    }
}

TEST(TickSpanRule, SleepBudgetNeverSleepsPastTheLimitNorAfterAWrap) {
    EXPECT_EQ(TickSpan::sleepBudget(0, 1000).count(), 1000);
    EXPECT_EQ(TickSpan::sleepBudget(999, 1000).count(), 1);
    EXPECT_EQ(TickSpan::sleepBudget(1000, 1000).count(), 0);
    EXPECT_EQ(TickSpan::sleepBudget(-2'147'483'648LL, 1000).count(), 0);
}

TEST(MdcommInstance, FreshUnitHasItsDefaults) {
    FakeLine line;
    Mdcomm unit(line.clock, line.pump, line.port);
    EXPECT_EQ(unit.ATBreak, 0);
    EXPECT_EQ(unit.ATCretNotEvent, 0);
    EXPECT_EQ(unit.SendModemLogsw, 0);
    EXPECT_TRUE(unit.Logfilename.isEmpty());
}

TEST(MdcommInstance, GlobalInstanceIsCreatedOnFirstUseAndShared) {
    FakeLine line;
    int made = 0;
    Mdcomm::releaseInstance();
    Mdcomm::installFactory([&] {
        ++made;
        return std::make_unique<Mdcomm>(line.clock, line.pump, line.port);
    });
    EXPECT_FALSE(Mdcomm::exists());
    EXPECT_EQ(made, 0);
    Mdcomm& first = Mdcomm::instance();
    first.ATBreak = 5;
    EXPECT_EQ(&Mdcomm::instance(), &first);
    EXPECT_EQ(Mdcomm::instance().ATBreak, 5);
    EXPECT_EQ(made, 1);
    Mdcomm::releaseInstance();
    Mdcomm::installFactory({});
}

}  // namespace
