#include "openline.h"

#include <gtest/gtest.h>

using namespace qelv;
using namespace qelv::test;

namespace {

using Exchange = OpenLineTest;

TEST_F(Exchange, SendsCommandWithCrLfAndStopsWhenTheSplitStopTextCompletes) {
    script({{10, "\r\nO"}, {20, "K\r"}, {30, "\n"}, {40, "late"}});
    EXPECT_EQ(unit.SendModem("ATE0Q0V1", 2000, "OK"), "\r\nOK\r\n");
    ASSERT_EQ(line.port.sent().size(), 1u);
    EXPECT_EQ(line.port.sent()[0].text, "ATE0Q0V1\r\n");
    EXPECT_EQ(line.clock.ms(), 30);  // woken by the arrival, not by polling
    // What came after the stop stays in the buffer for the next reader.
    line.clock.advance(100);
    EXPECT_EQ(line.port.Input(), "late");
}

TEST_F(Exchange, ExpectedReplyCountsOnlyWithItsLineEnd) {
    script({{5, "OK"}});
    EXPECT_EQ(unit.SendModem("AT", 2000, "OK"), "OK");
    EXPECT_EQ(line.clock.ms(), 2000);
}

TEST_F(Exchange, StopRulesTable) {
    struct Row {
        const char* reply;
        const char* expected;
        bool stops;
    };
    const Row rows[] = {
        {"LOOK\r\n", "OK", true},    // substring match
        {"OK\r\n", "ok", false},     // case differs
        {"abc\r\ndef", "", true},    // empty expected reply: the first CR LF
        {"\r\nERROR\r\n", "OK", false},
    };
    for (const Row& row : rows) {
        OpenLine fresh;
        fresh.line.port.arriveAt(1, QString::fromLatin1(row.reply));
        EXPECT_EQ(fresh.unit.SendModem("AT", 2000, QString::fromLatin1(row.expected)), QString::fromLatin1(row.reply));
        EXPECT_EQ(fresh.line.clock.ms() < 2000, row.stops) << row.reply << " / " << row.expected;
    }
}

TEST_F(Exchange, ZeroOrNegativeLimitMakesExactlyOneCycle) {
    for (std::int32_t limit : {0, -5}) {
        line.port.arriveAt(line.clock.ms(), "waiting");
        const int pumps = line.pump.pumps();
        EXPECT_EQ(unit.SendModem("AT", limit, "OK"), "waiting");
        EXPECT_EQ(line.pump.pumps() - pumps, 1);
    }
}

TEST_F(Exchange, TextLeftInTheBufferStartsTheReply) {
    script({{0, "old\r\n"}, {50, "OK\r\n"}});
    EXPECT_EQ(unit.SendModem("AT", 2000, "OK"), "old\r\nOK\r\n");
}

TEST_F(Exchange, NotCrSendsTheCommandUnchanged) {
    script({{1, "OK\r\n"}});
    unit.SendModemNotCR("+++", 2000, "OK");
    EXPECT_EQ(line.port.sent().back().text, "+++");
}

TEST_F(Exchange, SilentDeviceEndsAtTheLimitWithoutSpinning) {
    EXPECT_EQ(unit.SendModem("AT", 2000, "OK"), "");
    EXPECT_EQ(line.clock.ms(), 2000);
    EXPECT_LE(line.pump.pumps(), 3);
}

TEST(ExchangeWrap, BothTickPassagesBehaveAsWaitsDoes) {
    for (const auto& [base, expectedEnd] : {std::pair{2'147'483'000, 2002}, std::pair{-700, 2000}}) {
        OpenLine fresh(base);
        fresh.unit.SendModem("AT", 2000, "OK");
        EXPECT_EQ(fresh.line.clock.ms(), expectedEnd) << base;
    }
}

TEST_F(Exchange, PortErrorsPassToTheCaller) {
    line.port.setPortOpen(false);
    try {
        unit.SendModem("AT", 2000, "OK");
        FAIL();
    } catch (const ModemError& error) {
        EXPECT_EQ(error.number(), errc::kPortNotOpen);
    }
}

struct ReBack : Exchange {
    bool stops(const char* reply) {
        OpenLine fresh;
        fresh.line.port.arriveAt(1, QString::fromLatin1(reply));
        fresh.unit.SendModemReBack("ATD", 2000);
        return fresh.line.clock.ms() < 2000;
    }
};

TEST_F(ReBack, StopTable) {
    EXPECT_TRUE(stops("CONNECT 9600\r\n"));
    EXPECT_FALSE(stops("CONNECT 14400\r\n"));
    EXPECT_FALSE(stops("CONNECT 28800\r\n"));
    EXPECT_TRUE(stops("CONNECT 230400\r\n"));
    EXPECT_TRUE(stops("CONNECT14400\r\n"));
    EXPECT_TRUE(stops("NO CARRIER\r\r\n"));   // only the ends-with rule holds
    EXPECT_FALSE(stops("NO CARRIER\r"));
    EXPECT_FALSE(stops("LINE OFF \r\n"));      // no line end before it
    EXPECT_TRUE(stops("x\r\nLINE OFF "));
    EXPECT_FALSE(stops("NO ANSWER\r\n"));
    EXPECT_TRUE(stops("DELAYED\r\n"));
    EXPECT_TRUE(stops("COMPRESSION:V.42bis\r\n"));
    EXPECT_FALSE(stops("COMPRESSION:V.42BIS\r\n"));
}

TEST_F(ReBack, NoCarrierThenCrThenCrLfStopsOnTheLastPiece) {
    script({{10, "NO CARRIER"}, {20, "\r"}, {30, "\r\n"}});
    EXPECT_EQ(unit.SendModemReBack("ATD", 2000), "NO CARRIER\r\r\n");
    EXPECT_EQ(line.clock.ms(), 30);
}

TEST_F(Exchange, FloodKeepsTheReplyBoundedButStillFindsTheStopText) {
    const QString block(64 * 1024, u'D');
    for (int i = 0; i < 40; ++i) line.port.arriveAt(1 + i, block);
    line.port.arriveAt(100, "OK\r\n");
    const QString reply = unit.SendModem("AT", 2000, "OK");
    EXPECT_EQ(reply.size(), Mdcomm::kReplyCap);
    EXPECT_TRUE(reply.endsWith("OK\r\n"));
    EXPECT_EQ(line.clock.ms(), 100);
}

}  // namespace
