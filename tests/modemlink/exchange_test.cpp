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
        {"LOOK\r\n", "OK", true},  // substring match
        {"OK\r\n", "ok", false},   // case differs
        {"abc\r\ndef", "", true},  // empty expected reply: the first CR LF
        {"\r\nERROR\r\n", "OK", false},
    };
    for (const Row& row : rows) {
        OpenLine fresh;
        fresh.line.port.arriveAt(1, QString::fromLatin1(row.reply));
        EXPECT_EQ(fresh.unit.SendModem("AT", 2000, QString::fromLatin1(row.expected)),
                  QString::fromLatin1(row.reply));
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

// The three timed operations, each sending "AT" its own way with a 2000 ms limit.
struct TimedOperation {
    const char* name;
    QString (*call)(Mdcomm&);
};
const TimedOperation kTimedOperations[] = {
    {"SendModem", [](Mdcomm& unit) { return unit.SendModem("AT", 2000, "OK"); }},
    {"SendModemNotCR", [](Mdcomm& unit) { return unit.SendModemNotCR("AT\r", 2000, "OK"); }},
    {"SendModemReBack", [](Mdcomm& unit) { return unit.SendModemReBack("AT", 2000); }},
};

// The limit runs from the end of the write: a write that takes 1500 ms (a slow line, flow
// control held off) leaves the device its full 2000 ms to answer.
TEST(ExchangeLimit, EachOperationCountsItsLimitFromTheEndOfItsWrite) {
    for (const TimedOperation& op : kTimedOperations) {
        for (const bool answers : {true, false}) {
            OpenLine fresh(1000, [answers](const QString&) -> std::vector<ScriptedPort::Reply> {
                if (!answers) return {};
                return {{1990, QStringLiteral("\r\nOK\r\n")}};
            });
            fresh.line.port.onOutput() = [&fresh] { fresh.line.clock.advance(1500); };
            EXPECT_EQ(op.call(fresh.unit), answers ? "\r\nOK\r\n" : "") << op.name;
            EXPECT_EQ(fresh.line.clock.ms(), answers ? 1500 + 1990 : 1500 + 2000) << op.name;
        }
    }
}

// The wrap rule makes a limit that spans the top of the tick range end 2 ms late, so an answer
// 2001 ms after the send still counts; across the passage from -1 to 0, and away from both,
// it does not. Every operation of the family measures the same way.
TEST(ExchangeWrap, BothTickPassagesBehaveAsWaitsDoesForEveryOperation) {
    struct Row {
        std::int32_t base;
        bool lateAnswerKept;
        std::int64_t silentEnd;
    };
    const Row rows[] = {{2'147'483'000, true, 2002}, {-700, false, 2000}, {1000, false, 2000}};
    for (const TimedOperation& op : kTimedOperations) {
        for (const Row& row : rows) {
            OpenLine silent(row.base);
            EXPECT_EQ(op.call(silent.unit), "") << op.name << " " << row.base;
            EXPECT_EQ(silent.line.clock.ms(), row.silentEnd) << op.name << " " << row.base;

            OpenLine late(row.base);
            late.script({{2001, "\r\nOK\r\n"}});
            EXPECT_EQ(op.call(late.unit), row.lateAnswerKept ? "\r\nOK\r\n" : "")
                << op.name << " " << row.base;
        }
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
    // Whether a reply arriving in one piece ends the exchange before its limit; the reply
    // comes back whole either way.
    static bool stops(const QString& reply) {
        OpenLine fresh;
        fresh.line.port.arriveAt(1, reply);
        EXPECT_EQ(fresh.unit.SendModemReBack("ATD", 2000), reply);
        return fresh.line.clock.ms() < 2000;
    }
};

// The result texts that end the exchange when CR LF follows them, written out here rather
// than taken from the production table, so a misspelt or missing entry there shows.
const char* const kReBackWords[] = {"OK",
                                    "CONNECT",
                                    "RING",
                                    "NO CARRIER",
                                    "ERROR",
                                    "CONNECT1200",
                                    "BUSY",
                                    "CONNECT2400",
                                    "CONNECT4800",
                                    "CONNECT9600",
                                    "CONNECT14400",
                                    "CONNECT19200",
                                    "CONNECT57600",
                                    "CONNECT64000",
                                    "CONNECT32000",
                                    "CONNECT28800",
                                    "CONNECT38400",
                                    "COMPRESSION:V.42bis",
                                    "COMPRESSION:NONE",
                                    "PROTOCOL:PIAFS",
                                    "CONNECT 2400",
                                    "CONNECT 4800",
                                    "CONNECT 9600",
                                    "CONNECT 19200",
                                    "CONNECT 38400",
                                    "CONNECT 57600",
                                    "CONNECT 64000",
                                    "CONNECT 115200",
                                    "CONNECT 128000",
                                    "CONNECT 230400",
                                    "DELAYED"};

TEST_F(ReBack, EveryResultTextStopsOnlyWithItsLineEndAndInItsOwnCase) {
    for (const char* word : kReBackWords) {
        const QString text = QString::fromLatin1(word);
        const QString crLf = QStringLiteral("\r\n");
        EXPECT_TRUE(stops(text + crLf)) << word;
        EXPECT_TRUE(stops(QStringLiteral("\r\n") + text + crLf + QStringLiteral("tail"))) << word;
        EXPECT_FALSE(stops(text)) << word << ": no line end";
        EXPECT_FALSE(stops(text + u'\r')) << word << ": CR alone";
        EXPECT_FALSE(stops(text + u'\n')) << word << ": LF alone";
        EXPECT_FALSE(stops(text + QStringLiteral("\n\r"))) << word << ": LF CR";
        EXPECT_FALSE(stops(text.toLower() + crLf)) << word << ": lower case";
    }
}

TEST_F(ReBack, TextsThatMustNotStopIt) {
    const char* const rows[] = {
        "CONNECT 300\r\n",   "CONNECT 1200\r\n",  "CONNECT 14400\r\n", "CONNECT 28800\r\n",
        "CONNECT 33600\r\n", "CONNECT 56000\r\n", "CONNECT 2400 \r\n", "CONNECT  9600\r\n",
        "NO ANSWER\r\n",     "NO DIALTONE\r\n",   "DELAYED \r\n",      "COMPRESSION:V.42BIS\r\n",
        "NO CARRIER\r",      "NO CARRIER",        "no carrier\r\n",    "NO CARRIER\n",
        "NO CARRIER x\n",    "NO CARRIER\r\r",    "NO CARRIE\r\n",     "LINE OFF \r\n",
        "\r\nLINE OFF",      "\r\nline off ",     "\nLINE OFF ",       "\rLINE OFF ",
    };
    for (const char* row : rows) EXPECT_FALSE(stops(QString::fromLatin1(row))) << row;
}

TEST_F(ReBack, LineOffWithTheLineEndBeforeItAndNoCarrierInAReplyEndingInCrLfStopIt) {
    const char* const rows[] = {
        "x\r\nLINE OFF ",  // the line end comes first; nothing after the space
        "\r\nLINE OFF \r\n",
        "NO CARRIER\r\r\n",  // only the ends-with rule holds
        "xNO CARRIERx\r\n",  "NO CARRIER 2\r\n",
    };
    for (const char* row : rows) EXPECT_TRUE(stops(QString::fromLatin1(row))) << row;
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
