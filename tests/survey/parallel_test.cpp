// The survey that talks to all its ports at once, against the one-at-a-time survey, on a
// fake clock: same grid, each port's limit counted from its own send, and every port
// released when the program ends in the middle.

#include "fakes.h"
#include "mainform.h"
#include "mdcomm.h"
#include "memorywidgets.h"
#include "shutdown.h"

#include <gtest/gtest.h>

using namespace qelv;
using namespace qelv::test;

namespace {

using Replies = std::vector<ScriptedPort::Reply>;

// One answer per command, after `delay` ms.
ScriptedPort::Responder answering(int delay, const char* atReply, const char* infoReply) {
    return [=](const QString& sent) -> Replies {
        if (sent.startsWith("ATE0Q0V1")) return {{delay, QString::fromLatin1(atReply)}};
        if (sent.startsWith("ATI4I2I0")) return {{delay, QString::fromLatin1(infoReply)}};
        return {};
    };
}

// A varied bench: answering, silent, late, ERROR, lower case, no line end, split replies,
// noise with "OK" inside it and garbage before an OK line.
void addBench(ScriptedPort& port) {
    port.addDevice(1, answering(30, "ATE0Q0V1\r\r\nOK\r\n", "\r\nSIM-5600\r\n\r\nOK\r\n"));
    port.addDevice(2, answering(40, "\r\nOK\r\n", "\r\nERROR\r\n"));
    port.addDevice(4);  // silent
    port.addDevice(5, answering(1999, "\r\nOK\r\n", "\r\nlate\r\nOK\r\n"));
    port.addDevice(6, answering(2001, "\r\nOK\r\n", "\r\nOK\r\n"));
    port.addDevice(7, answering(20, "\r\nok\r\n", "\r\nok\r\n"));
    port.addDevice(9, answering(20, "\r\nOK", "\r\nINFO\r\nOK"));
    port.addDevice(12, [](const QString& sent) -> Replies {
        if (!sent.startsWith("AT")) return {};
        return {{10, QStringLiteral("\r\nO")}, {700, QStringLiteral("K\r\n")}};
    });
    port.addDevice(13, answering(20, "\x9b\xffLOOK\x01OK\x7f\r\nxOKx\r\n", "\r\nOK\r\n"));
    port.addDevice(14, answering(20, "\x1b[2J\xff\r\nBOOK\r\nOK\r\n", "\x01\r\nSIM\r\nOK"));
}

struct Bench {
    explicit Bench(bool withBench) {
        if (withBench) addBench(line.port);
        form.Form_Load();
        form.Form_Resize();
    }
    FakeLine line;
    Mdcomm unit{line.clock, line.pump, line.port};
    MemoryForm widgets;
    MainForm form{
        widgets.widgets(),
        {.pump = line.pump,
         .unit = [this]() -> Mdcomm& { return unit; },
         .describePort = {},
         .endProgram = {},
         .version = VersionNumbers{},
         .parallel = true,
         .newPort = [this]() -> std::unique_ptr<SerialPort> { return line.port.sibling(); }}};
};

struct SequentialBench {
    SequentialBench() {
        addBench(line.port);
        form.Form_Load();
        form.Form_Resize();
    }
    FakeLine line;
    Mdcomm unit{line.clock, line.pump, line.port};
    MemoryForm widgets;
    MainForm form{widgets.widgets(),
                  {.pump = line.pump, .unit = [this]() -> Mdcomm& { return unit; }}};
};

TEST(ParallelSurvey, GivesTheSameGridAsOnePortAtATimeInAFractionOfTheTime) {
    SequentialBench one;
    one.form.Command1_Click();
    Bench all(true);
    all.form.Command1_Click();

    const GridCells& expected = one.widgets.MSFlexGrid1.cells();
    const GridCells& got = all.widgets.MSFlexGrid1.cells();
    for (int row = 0; row < expected.rows(); ++row) {
        for (int col = 0; col < expected.cols(); ++col) {
            EXPECT_EQ(got.at(row, col).text, expected.at(row, col).text) << row << "," << col;
            EXPECT_EQ(got.at(row, col).backColor, expected.at(row, col).backColor)
                << row << "," << col;
        }
    }
    EXPECT_EQ(got.at(5, 2).text, "\r\nOK\r\n");  // 1999 ms after its own send: in time
    EXPECT_EQ(got.at(6, 2).text, "");            // 2001 ms: too late
    EXPECT_EQ(got.at(12, 3).text, "\r\nOK\r\n");
    EXPECT_FALSE(got.at(4, 2).toolTip.isEmpty());  // the silent one says why it failed
    EXPECT_EQ(got.at(7, 2).reply, "\r\nok\r\n");

    // Two passes of one settling wait and one limit each, instead of one per port.
    EXPECT_LE(all.line.clock.ms(), 2 * 3000 + 100);
    EXPECT_GE(one.line.clock.ms(), 8 * 3000);
    EXPECT_EQ(all.line.port.openNow(), 0);
    // The bench's last port is COM12: the current cell still ends where the sequential
    // survey leaves it.
    EXPECT_EQ(one.widgets.MSFlexGrid1.cells().row(), 16);
    EXPECT_EQ(one.widgets.MSFlexGrid1.cells().col(), 3);
    EXPECT_EQ(got.row(), 16);
    EXPECT_EQ(got.col(), 3);
    EXPECT_EQ(all.widgets.StatusBar1.lastShownProgress(), MainForm::kSurveySteps);
    EXPECT_EQ(all.widgets.Command1.caption(), "検査開始");
    EXPECT_TRUE(all.widgets.Command1.isEnabled());
}

// Both AT passes judge by one rule, one port at a time and all at once: "OK" inside noise
// fails, after garbage lines it passes.
TEST(ParallelSurvey, OkInsideNoiseFailsAndOkAfterGarbagePassesEitherWay) {
    SequentialBench one;
    one.form.Command1_Click();
    Bench all(true);
    all.form.Command1_Click();
    for (const GridCells* cells :
         {&one.widgets.MSFlexGrid1.cells(), &all.widgets.MSFlexGrid1.cells()}) {
        EXPECT_EQ(cells->at(13, 2).backColor, survey::kWhite);
        EXPECT_TRUE(cells->at(13, 2).text.isEmpty());
        EXPECT_EQ(cells->at(13, 2).toolTip, "「OK」が単独の行になっていない応答です");
        EXPECT_EQ(cells->at(13, 3).backColor, Grid::kNoColor);  // never asked
        EXPECT_EQ(cells->at(14, 2).backColor, survey::kMark);
        EXPECT_EQ(cells->at(14, 3).backColor, survey::kMark);
        EXPECT_EQ(cells->at(14, 3).text, "\x01\r\nSIM\r\nOK");
    }
}

TEST(ParallelSurvey, SendsInPortOrderAndCountsEachLimitFromItsOwnSend) {
    Bench all(false);
    // Each send takes 600 ms of the clock, so the last port's limit ends well after the
    // first's; a device answering 1900 ms after its own send is in time on every port.
    for (int n : {3, 8, 11})
        all.line.port.addDevice(n, answering(1900, "\r\nOK\r\n", "\r\nOK\r\n"));
    all.line.port.onOutput() = [&] { all.line.clock.advance(600); };
    all.form.Command1_Click();

    std::vector<int> order;
    for (const auto& sent : all.line.port.sent())
        if (sent.text.startsWith("ATE0Q0V1")) order.push_back(sent.port);
    EXPECT_EQ(order, (std::vector<int>{3, 8, 11}));
    for (int n : {3, 8, 11}) {
        EXPECT_EQ(all.widgets.MSFlexGrid1.cells().at(n, 2).text, "\r\nOK\r\n") << n;
        EXPECT_EQ(all.widgets.MSFlexGrid1.cells().at(n, 3).text, "\r\nOK\r\n") << n;
    }
}

using Times = std::vector<std::optional<std::int64_t>>;

Times exchangeTimes(const MainForm& form, int col) {
    Times got;
    for (std::int16_t n = 1; n <= 12; ++n) {
        const auto took = form.exchangeTime(n, col);
        got.push_back(took ? std::optional(took->count()) : std::nullopt);
    }
    return got;
}

// Each exchange is timed from its send to its end by the unit's clock, the same way in both
// kinds of pass.
TEST(ParallelSurvey, TimesEachExchangeAsThePortAtATimeSurveyDoes) {
    SequentialBench one;
    Bench all(true);
    one.form.Command1_Click();
    all.form.Command1_Click();
    const std::nullopt_t none = std::nullopt;
    // COM5 answers after 1999 ms, COM6 too late: its exchange ends at the 2000 ms limit, as
    // do the silent COM4's and the lower-case COM7's; COM12 says "O", then "K" 700 ms after
    // the send.
    const Times at = {30, 40, none, 2000, 1999, 2000, 2000, none, 2000, none, none, 700};
    EXPECT_EQ(exchangeTimes(one.form, 2), at);
    EXPECT_EQ(exchangeTimes(all.form, 2), at);
    // Only the ports that passed the AT check are asked for information.
    const Times info = {30, 2000, none, none, 1999, none, none, none, 2000, none, none, 700};
    EXPECT_EQ(exchangeTimes(one.form, 3), info);
    EXPECT_EQ(exchangeTimes(all.form, 3), info);

    // A new survey forgets the old times: COM1 is gone, so nothing is tried there.
    one.line.port.removeDevice(1);
    one.form.Command1_Click();
    EXPECT_FALSE(one.form.exchangeTime(1, 2));
    EXPECT_EQ(one.form.exchangeTime(2, 2), std::chrono::milliseconds(40));
}

// Across the tick count's wrap the times stay true: an exchange cut by the limit just then
// ends the 2 ms late that the unit's wait rule makes it, and the time says so.
TEST(ParallelSurvey, ExchangeTimesStayTrueAcrossTheTickWrap) {
    SequentialBench plain;
    plain.form.Command1_Click();
    for (bool parallel : {false, true}) {
        SequentialBench one;
        Bench all(true);
        FakeLine& line = parallel ? all.line : one.line;
        MainForm& form = parallel ? all.form : one.form;
        line.clock.advance(0x7FFFFFFF - 1000 - 4000);
        form.Command1_Click();
        int late = 0;
        for (int col : {2, 3}) {
            const Times expected = exchangeTimes(plain.form, col);
            const Times got = exchangeTimes(form, col);
            for (std::size_t i = 0; i < got.size(); ++i) {
                const bool lateAtLimit = expected[i] == 2000 && got[i] == 2002;
                late += lateAtLimit ? 1 : 0;
                EXPECT_TRUE(got[i] == expected[i] || lateAtLimit)
                    << "COM" << i + 1 << " column " << col << ": " << got[i].value_or(-1);
            }
        }
        EXPECT_GE(late, 1) << "the wrap falls in an exchange cut by its limit";
    }
}

TEST(ParallelSurvey, EndingInTheMiddleReleasesEveryPort) {
    Bench all(true);
    int open = 0;
    all.line.pump.onPump = [&] {
        // Once the passes are collecting from three ports at once, the program is told to end.
        if (all.line.port.openNow() >= 3 && !shutdown::requested()) {
            open = all.line.port.openNow();
            shutdown::request(143);
            throw ShutdownRequested(143);
        }
    };
    EXPECT_THROW(all.form.Command1_Click(), ShutdownRequested);
    shutdown::reset();
    EXPECT_GE(open, 3);
    EXPECT_EQ(all.line.port.openNow(), 0);
}

}  // namespace
