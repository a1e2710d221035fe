#include "openline.h"
#include "shutdown.h"

#include <gtest/gtest.h>

#include <utility>

using namespace qelv;
using namespace qelv::test;

namespace {

using Collect = OpenLineTest;

// --- ATCret: what ends a collection -------------------------------------------------------

using AtcretEnding = Collect;

TEST_F(AtcretEnding, EveryFinalCodeSplitAcrossReadsEndsItOnItsLastCharacter) {
    for (const char* code : {"OK", "ERROR", "NO CARRIER", "RING", "BUSY", "NO ANSWER"}) {
        OpenLine fresh;
        const QString word = QString::fromLatin1(code);
        const qsizetype half = word.size() / 2;
        fresh.line.port.arriveAt(10, QStringLiteral("\r\n") + word.left(half));
        fresh.line.port.arriveAt(20, word.mid(half) + u'\r');
        fresh.line.port.arriveAt(30, QStringLiteral("\n"));
        fresh.line.port.arriveAt(40, QStringLiteral("late"));
        EXPECT_EQ(fresh.unit.ATCret("ATD1"), QStringLiteral("\r\n") + word + QStringLiteral("\r\n"))
            << code;
        EXPECT_EQ(fresh.line.clock.ms(), 30) << code;
        ASSERT_EQ(fresh.line.port.sent().size(), 1u);
        EXPECT_EQ(fresh.line.port.sent()[0].text, "ATD1\r") << code;
        fresh.line.clock.advance(100);
        EXPECT_EQ(fresh.line.port.Input(), "late") << code;
    }
}

TEST_F(AtcretEnding, LeftOverOkInTheBufferEndsTheFirstCycleAndStartsTheText) {
    script({{0, "OK\r\n"}, {50, "\r\nERROR\r\n"}});
    EXPECT_EQ(unit.ATCret("ATI"), "OK\r\n");
    EXPECT_EQ(line.clock.ms(), 0);
    EXPECT_EQ(line.port.inputCalls(), 1);
}

TEST_F(AtcretEnding, TextsThatAreNotFinalCodesDoNotEndIt) {
    const char* notFinal[] = {"OK",     "CONNECT 9600\r\n", "CONNECT\r\n", "OK\r",
                              "ok\r\n", "ERROR\n",          "NO CARRIER"};
    for (const char* text : notFinal) {
        OpenLine fresh;
        fresh.line.port.arriveAt(5, QString::fromLatin1(text));
        // The separator keeps the first text from being completed by the final code.
        fresh.line.port.arriveAt(60'000, QStringLiteral("~\r\nBUSY\r\n"));
        EXPECT_EQ(fresh.unit.ATCret("AT"),
                  QString::fromLatin1(text) + QStringLiteral("~\r\nBUSY\r\n"))
            << text;
        EXPECT_EQ(fresh.line.clock.ms(), 60'000) << text;
    }
}

TEST_F(AtcretEnding, InformationLineEndingInOkEndsIt) {
    script({{10, "\r\nMODEL LOOK\r\n"}, {20, "\r\nOK\r\n"}});
    EXPECT_EQ(unit.ATCret("ATI3"), "\r\nMODEL LOOK\r\n");
    EXPECT_EQ(line.clock.ms(), 10);
}

TEST_F(AtcretEnding, HasNoTimeLimitAndSleepsWhileNothingArrives) {
    script({{3'600'000, "\r\nNO ANSWER\r\n"}});
    EXPECT_EQ(unit.ATCret("ATD123"), "\r\nNO ANSWER\r\n");
    EXPECT_EQ(line.clock.ms(), 3'600'000);
    // An hour of looking: a loop that spun would have pumped without bound.
    EXPECT_LE(line.pump.pumps(), 3'600'000 / 50);
}

// The switch is tested for exactly 0: every other value, negative ones included, stops the
// pumping of both collectors, which still end on their final code.
TEST(AtcretEvents, OnlyZeroPumpsAndEveryOtherValueStopsIt) {
    for (std::int16_t value : {0, 1, 2, -1, INT16_MAX, INT16_MIN}) {
        for (bool inter : {false, true}) {
            OpenLine fresh;
            fresh.unit.ATCretNotEvent = value;
            fresh.script({{10, "\r\nO"}, {400, "K\r\n"}});
            const QString reply = inter ? fresh.unit.ATCinterRet("AT") : fresh.unit.ATCret("AT");
            EXPECT_EQ(reply, inter ? "" : "\r\nOK\r\n") << value << " " << inter;
            EXPECT_EQ(fresh.line.pump.pumps() > 0, value == 0) << value << " " << inter;
            EXPECT_EQ(fresh.line.pump.waits() > 0, value == 0) << value << " " << inter;
            EXPECT_EQ(fresh.line.clock.ms(), 400) << value << " " << inter;
        }
    }
}

TEST_F(AtcretEnding, EventsArePumpedWhileCollecting) {
    script({{10, "\r\nOK\r\n"}});
    unit.ATCret("AT");
    EXPECT_GE(line.pump.pumps(), 1);
}

// --- ATCret with a fixed wait (ATBreak) ---------------------------------------------------

using AtcretBreak = Collect;

TEST_F(AtcretBreak, ReturnsOnlyWhatArrivedDuringTheWait) {
    unit.ATBreak = 2;
    script({{0, "early\r\nOK\r\n"}, {500, "mid\r\n"}, {2500, "late"}});
    EXPECT_EQ(unit.ATCret("AT"), "mid\r\n");
    EXPECT_EQ(line.clock.ms(), 2000);
    EXPECT_EQ(lastSent(), "AT\r");
}

TEST_F(AtcretBreak, IgnoresFinalCodesAndWaitsTheWholeTime) {
    unit.ATBreak = 1;
    script({{100, "\r\nOK\r\n"}});
    EXPECT_EQ(unit.ATCret("AT"), "\r\nOK\r\n");
    EXPECT_EQ(line.clock.ms(), 1000);
}

TEST_F(AtcretBreak, OutsideTheSixteenBitRangeFailsWithOverflowAfterSending) {
    for (std::int16_t seconds : {33, -33, 100, INT16_MAX, INT16_MIN}) {
        unit.ATBreak = seconds;
        const int inputsBefore = line.port.inputCalls();
        const std::size_t sentBefore = line.port.sent().size();
        try {
            unit.ATCret("ATZ");
            ADD_FAILURE() << seconds << " did not fail";
        } catch (const ModemError& error) {
            EXPECT_EQ(error.number(), 6) << seconds;
        }
        EXPECT_EQ(line.port.sent().size(), sentBefore + 1) << seconds;
        EXPECT_EQ(line.port.inputCalls() - inputsBefore, 1) << seconds;
        EXPECT_EQ(line.clock.ms(), 0) << seconds;
    }
}

TEST_F(AtcretBreak, EdgesOfTheRangeWait) {
    unit.ATBreak = 32;
    EXPECT_NO_THROW(unit.ATCret("AT"));
    EXPECT_EQ(line.clock.ms(), 32'000);
    unit.ATBreak = -32;
    EXPECT_NO_THROW(unit.ATCret("AT"));
    EXPECT_EQ(line.clock.ms(), 32'000);
}

TEST_F(AtcretBreak, NegativePumpsOnceAndTakesAFreshInput) {
    unit.ATBreak = -1;
    unit.ATCretNotEvent = 1;
    script({{0, "first"}, {10, "second"}});
    EXPECT_EQ(unit.ATCret("AT"), "");
    EXPECT_EQ(line.pump.pumps(), 1);
    EXPECT_EQ(line.clock.ms(), 0);
}

TEST_F(AtcretBreak, AppliesToAtcinterRetToo) {
    unit.ATBreak = 2;
    script({{1000, "\r\nX\r\nOK\r\nY\r\n"}});
    EXPECT_EQ(unit.ATCinterRet("AT"), "X");
    EXPECT_EQ(line.clock.ms(), 2000);
}

// --- ATCret and ATCinterRet with a time limit --------------------------------------------

using AtcretLimit = Collect;
using std::chrono::milliseconds;

TEST_F(AtcretLimit, ASilentDeviceEndsAtTheLimitWithWhatArrivedAndSaysSo) {
    script({{300, "\r\nCONNECT 9600\r\n"}, {1400, "too late\r\nOK\r\n"}});
    const TimedReply reply = unit.ATCret("ATD1", milliseconds(1000));
    EXPECT_EQ(reply.text, "\r\nCONNECT 9600\r\n");
    EXPECT_TRUE(reply.limitReached);
    EXPECT_EQ(line.clock.ms(), 1000);
    EXPECT_EQ(lastSent(), "ATD1\r");
    EXPECT_LE(line.pump.pumps(), 1000 / 50);  // it slept, it did not spin
}

TEST_F(AtcretLimit, AFinalCodeBeforeOrAtTheLimitEndsItAsWithoutOne) {
    for (const std::int64_t at : {10, 999, 1000}) {
        OpenLine fresh;
        fresh.line.port.arriveAt(at, QStringLiteral("\r\nBUSY\r\n"));
        fresh.line.port.arriveAt(at + 5, QStringLiteral("after"));
        const TimedReply reply = fresh.unit.ATCret("ATD2", milliseconds(1000));
        EXPECT_EQ(reply.text, "\r\nBUSY\r\n") << at;
        EXPECT_FALSE(reply.limitReached) << at;
        EXPECT_EQ(fresh.line.clock.ms(), at) << at;
    }
}

TEST_F(AtcretLimit, ZeroLooksOnceAndTheTickWrapMakesItTwoMillisecondsLate) {
    script({{0, "waiting"}});
    const TimedReply once = unit.ATCret("AT", milliseconds(0));
    EXPECT_EQ(once.text, "waiting");
    EXPECT_TRUE(once.limitReached);
    EXPECT_EQ(line.port.inputCalls(), 1);
    EXPECT_EQ(line.clock.ms(), 0);
    for (const auto& [base, expectedEnd] :
         {std::pair{2'147'483'000, 2002}, std::pair{-700, 2000}}) {
        OpenLine fresh(base);
        EXPECT_TRUE(fresh.unit.ATCret("AT", milliseconds(2000)).limitReached);
        EXPECT_EQ(fresh.line.clock.ms(), expectedEnd) << base;
    }
}

TEST_F(AtcretLimit, WithoutEventsTheLimitStillEndsItAndNothingIsPumped) {
    unit.ATCretNotEvent = 1;
    const TimedReply reply = unit.ATCret("AT", milliseconds(750));
    EXPECT_TRUE(reply.limitReached);
    EXPECT_EQ(line.clock.ms(), 750);
    EXPECT_EQ(line.pump.pumps(), 0);
    EXPECT_EQ(line.pump.waits(), 0);
}

TEST_F(AtcretLimit, AFixedWaitEndsAtALimitItWouldOutlast) {
    unit.ATBreak = 2;
    script({{500, "mid\r\n"}, {1500, "late\r\n"}});
    const TimedReply cut = unit.ATCret("AT", milliseconds(1000));
    EXPECT_EQ(cut.text, "mid\r\n");
    EXPECT_TRUE(cut.limitReached);
    EXPECT_EQ(line.clock.ms(), 1000);
    const TimedReply whole = unit.ATCret("AT", milliseconds(2000));
    EXPECT_EQ(whole.text, "late\r\n");
    EXPECT_FALSE(whole.limitReached);
    EXPECT_EQ(line.clock.ms(), 3000);
}

TEST_F(AtcretLimit, AtcinterRetKeepsItsTextWhicheverWayItEnds) {
    script({{100, "\r\nMODEL X\r\n"}, {200, "\r\nREV 2\r\n"}});
    const TimedReply cut = unit.ATCinterRet("ATI", milliseconds(1000));
    EXPECT_EQ(cut.text, "MODEL XREV 2");
    EXPECT_TRUE(cut.limitReached);
    script({{1100, "\r\nMODEL Y\r\n\r\nOK\r\n"}});
    const TimedReply whole = unit.ATCinterRet("ATI", milliseconds(1000));
    EXPECT_EQ(whole.text, "MODEL Y");
    EXPECT_FALSE(whole.limitReached);
}

// --- ATCinterRet --------------------------------------------------------------------------

TEST_F(Collect, AtcinterRetKeepsTheTextBeforeOkWithoutLineEnds) {
    struct Row {
        const char* reply;
        const char* expected;
    };
    const Row rows[] = {
        {"\r\nMODEL X\r\n\r\nOK\r\n", "MODEL X"},
        {"\r\nA 1\r\nB 2\r\n\r\nOK\r\n", "A 1B 2"},
        {"\r\nBAD\r\n\r\nERROR\r\n", "BADERROR"},
        {"OK\r\n\r\nLATER\r\n", ""},
        {"X\r\nOK\r\nY\r\nOK\r\n", "X"},
        {"\r\nNO CARRIER\r\n", "NO CARRIER"},
        // Only "OK" with its line end cuts: the same letters elsewhere stay.
        {"\r\nOKAY\r\n\r\nOK\r\n", "OKAY"},
        {"\r\nLOOK 1\r\nOK\r\n", "LOOK 1"},
        {"\r\nOK\r\r\nOK\r\n", "OK"},
        {"OK\n\r\nOK\r\n", "OK"},
        {"\r\nok\r\nERROR\r\n", "okERROR"},
        {"\r\nMODEL\r\nOK \r\nBUSY\r\n", "MODELOK BUSY"},
    };
    for (const Row& row : rows) {
        OpenLine fresh;
        fresh.line.port.arriveAt(0, QString::fromLatin1(row.reply));
        EXPECT_EQ(fresh.unit.ATCinterRet("ATI"), QString::fromLatin1(row.expected)) << row.reply;
        EXPECT_EQ(fresh.line.port.sent().back().text, "ATI\r");
    }
}

// --- ATTrue -------------------------------------------------------------------------------

struct AtTrueRow {
    const char* reply;  // nullptr: silence
    int expected;
};

TEST_F(Collect, AtTrueClassifiesWhatArrivesWithinThreeSeconds) {
    const AtTrueRow rows[] = {{"\r\nOK\r\n", 0}, {"OK", 0},           {"\r\nERROR\r\n", 1},
                              {"OK ERROR", 1},   {"ERROR OK", 1},     {nullptr, -1},
                              {"ok", -1},        {"\r\nRING\r\n", -1}};
    for (const AtTrueRow& row : rows) {
        OpenLine fresh(1000, [&row](const QString&) {
            if (!row.reply) return std::vector<ScriptedPort::Reply>{};
            return std::vector<ScriptedPort::Reply>{{200, QString::fromLatin1(row.reply)}};
        });
        EXPECT_EQ(fresh.unit.ATTrue("ATE0Q0V1"), row.expected)
            << (row.reply ? row.reply : "silence");
        EXPECT_EQ(fresh.line.port.sent().back().text, "ATE0Q0V1\r");
        EXPECT_EQ(fresh.line.clock.ms(), 3000);
    }
}

TEST_F(Collect, AtTrueIsNeverSwayedByTextWaitingBeforeTheCall) {
    struct Row {
        const char* stale;
        const char* reply;  // nullptr: silence
        int expected;
    };
    const Row rows[] = {{"\r\nERROR\r\n", "\r\nOK\r\n", 0},
                        {"\r\nOK\r\n", nullptr, -1},
                        {"\r\nERROR\r\n", nullptr, -1}};
    for (const Row& row : rows) {
        OpenLine fresh(1000, [&row](const QString&) {
            if (!row.reply) return std::vector<ScriptedPort::Reply>{};
            return std::vector<ScriptedPort::Reply>{{100, QString::fromLatin1(row.reply)}};
        });
        fresh.line.port.arriveAt(0, QString::fromLatin1(row.stale));
        EXPECT_EQ(fresh.unit.ATTrue("AT"), row.expected) << row.stale;
    }
}

TEST_F(Collect, AtTrueIgnoresWhatArrivesAfterItsWait) {
    script({{3500, "\r\nOK\r\n"}});
    EXPECT_EQ(unit.ATTrue("AT"), -1);
    line.clock.advance(1000);
    EXPECT_EQ(line.port.Input(), "\r\nOK\r\n");
}

// --- ComportBufClr ------------------------------------------------------------------------

TEST_F(Collect, BufClrOnAnEmptyBufferReturnsAtOnce) {
    line.port.setInputLen(3);
    script({{10, "later"}});
    EXPECT_EQ(unit.ComportBufClr(), "");
    EXPECT_EQ(line.clock.ms(), 0);
    EXPECT_EQ(line.pump.pumps(), 0);
    EXPECT_EQ(line.port.inputLen(), 0);
}

TEST_F(Collect, BufClrWaitsUntilTheDeviceFallsSilentAndTakesEverything) {
    line.port.setInputLen(2);
    script({{0, "abc"}, {50, "def"}, {150, "ghi"}, {5000, "after"}});
    EXPECT_EQ(unit.ComportBufClr(), "abcdefghi");
    EXPECT_EQ(line.port.inputLen(), 0);
    EXPECT_LT(line.clock.ms(), 5000);
    EXPECT_TRUE(line.port.sent().empty());
}

TEST_F(Collect, BufClrGivesUpOnADeviceThatNeverStopsAfterThirtyWaits) {
    for (std::int64_t ms = 0; ms <= 100'000; ms += 40) line.port.arriveAt(ms, QStringLiteral("x"));
    const QString drained = unit.ComportBufClr();
    EXPECT_EQ(line.clock.ms(), 30 * 100);
    EXPECT_EQ(drained, QString(3000 / 40 + 1, u'x'));
}

// Counts are compared at full width: a buffer past the 16-bit range that is still growing
// must keep the drain waiting, not look settled because two clamped counts agree.
TEST_F(Collect, BufClrKeepsWaitingWhileABufferBeyondSixteenBitsStillGrows) {
    const QString head(40'000, u'a');
    line.port.arriveAt(0, head);
    line.port.arriveAt(50, QString(100, u'b'));
    line.port.arriveAt(150, QString(100, u'c'));
    line.port.arriveAt(5000, QStringLiteral("after"));
    EXPECT_EQ(unit.ComportBufClr(), head + QString(100, u'b') + QString(100, u'c'));
    EXPECT_EQ(line.clock.ms(), 300);

    // A flood of exactly 65,536 characters per wait: counts equal in their low 16 bits are
    // still growing, so it gives up only after its thirty waits.
    OpenLine flood;
    const QString block(1 << 16, u'f');
    for (std::int64_t ms = 0; ms <= 5000; ms += 100) flood.line.port.arriveAt(ms, block);
    EXPECT_EQ(flood.unit.ComportBufClr().size(), Mdcomm::kReplyCap);  // the newest of 31 blocks
    EXPECT_EQ(flood.line.clock.ms(), 30 * 100);
}

// --- Asked to end -------------------------------------------------------------------------

struct CollectShutdown : Collect {
    void TearDown() override { shutdown::reset(); }
};

// A device that chatters for ten minutes before its final code: a collection that missed the
// request ends with a test failure instead of hanging the run.
void chatterForever(ScriptedPort& port) {
    for (std::int64_t ms = 0; ms <= 600'000; ms += 100) port.arriveAt(ms, QStringLiteral("."));
    port.arriveAt(600'100, QStringLiteral("\r\nOK\r\n"));
}

TEST_F(CollectShutdown, NeverEndingCollectionWithoutEventsGivesWay) {
    unit.ATCretNotEvent = 1;
    chatterForever(line.port);
    line.port.onInput = [this] {
        if (line.port.inputCalls() == 5) shutdown::request(143);
    };
    try {
        unit.ATCinterRet("AT");
        ADD_FAILURE() << "did not give way";
    } catch (const ShutdownRequested& request) {
        EXPECT_EQ(request.exitCode(), 143);
    }
    EXPECT_EQ(line.port.inputCalls(), 5);
    EXPECT_EQ(line.pump.pumps(), 0);
}

// Without events the window's close would go unseen; the collection lets just requests to
// end through, and nothing else of the program runs.
TEST_F(CollectShutdown, NeverEndingCollectionWithoutEventsStillSeesTheWindowClose) {
    unit.ATCretNotEvent = 1;
    chatterForever(line.port);
    line.pump.onCloseCheck = [this] {
        if (line.pump.closeChecks() == 4) {
            shutdown::request(0);  // what the window's unload does
            shutdown::throwIfRequested();
        }
    };
    EXPECT_THROW(unit.ATCret("AT"), ShutdownRequested);
    EXPECT_EQ(line.pump.pumps(), 0);
    EXPECT_EQ(line.pump.waits(), 0);
}

TEST_F(CollectShutdown, NeverEndingCollectionWithEventsGivesWayEvenIfThePumpDoesNotThrow) {
    chatterForever(line.port);
    line.pump.onPump = [this] {
        if (line.pump.pumps() == 3) shutdown::request(130);
    };
    try {
        unit.ATCret("AT");
        ADD_FAILURE() << "did not give way";
    } catch (const ShutdownRequested& request) {
        EXPECT_EQ(request.exitCode(), 130);
    }
    EXPECT_EQ(line.pump.pumps(), 3);
}

}  // namespace
