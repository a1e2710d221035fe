// Rules that hold one port at a time and with --parallel alike, run both ways on a fake
// clock: when a command goes after its port opened, what the status line says and where the
// current cell is as each pass starts, what a marked port that no longer opens goes through,
// and the order of the opening steps with the unit coming into being at the first of them.

#include "fakes.h"
#include "mainform.h"
#include "mdcomm.h"
#include "memorywidgets.h"
#include "recordingport.h"
#include "surveytexts.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <list>
#include <optional>

using namespace qelv;
using namespace qelv::test;

namespace {

using Replies = std::vector<ScriptedPort::Reply>;

ScriptedPort::Responder answering(const char* atReply, const char* infoReply) {
    return [=](const QString& sent) -> Replies {
        if (sent.startsWith("ATE0Q0V1")) return {{30, QString::fromLatin1(atReply)}};
        if (sent.startsWith("ATI4I2I0")) return {{30, QString::fromLatin1(infoReply)}};
        return {};
    };
}

// A form whose unit comes into being when the survey first reaches it; the unit's port and
// every port the parallel passes make each keep a log of what they were told.
struct Rig {
    explicit Rig(bool parallel)
        : form(widgets.widgets(), {.pump = line.pump,
                                   .unit = [this]() -> Mdcomm& { return reachUnit(); },
                                   .describePort = {},
                                   .endProgram = {},
                                   .version = VersionNumbers{},
                                   .parallel = parallel,
                                   .newPort = [this]() -> std::unique_ptr<SerialPort> {
                                       auto sibling = line.port.sibling();
                                       ScriptedPort& port = *sibling;
                                       logs.emplace_back();
                                       return std::make_unique<RecordingPort>(std::move(sibling),
                                                                              port, logs.back());
                                   }}) {
        form.Form_Load();
        form.Form_Resize();
    }

    Mdcomm& reachUnit() {
        if (!unit) {
            // What the survey had done when the unit came into being.
            createdWith = {widgets.MSFlexGrid1.cells().at(1, 0).text,
                           widgets.StatusBar1.simpleText()};
            unit.emplace(line.clock, line.pump, recorded);
        }
        return *unit;
    }
    const GridCell& cell(int row, int col) const {
        return widgets.MSFlexGrid1.cells().at(row, col);
    }

    FakeLine line;
    QStringList unitLog;
    std::list<QStringList> logs;  // one per port the parallel passes made
    RecordingPort recorded{nullptr, line.port, unitLog};
    std::optional<Mdcomm> unit;
    QStringList createdWith;
    MemoryForm widgets;
    MainForm form;
};

struct SurveyRules : ::testing::TestWithParam<bool> {
    Rig rig{GetParam()};
};

TEST_P(SurveyRules, EveryCommandGoesOneSecondAfterItsPortOpened) {
    rig.line.port.addDevice(2, answering("\r\nOK\r\n", "\r\nINFO\r\n\r\nOK\r\n"));
    rig.line.port.addDevice(5, answering("\r\nOK\r\n", "\r\nERROR\r\n"));
    rig.line.port.addDevice(9);  // silent
    std::vector<std::int64_t> sentAt;
    rig.line.port.onOutput() = [&] { sentAt.push_back(rig.line.clock.ms()); };
    rig.form.Command1_Click();

    const auto& sent = rig.line.port.sent();
    ASSERT_EQ(sent.size(), 5u);
    for (std::size_t i = 0; i < sent.size(); ++i) {
        std::int64_t openedAt = -1;
        for (const ScriptedPort::Line& opened : rig.line.port.openedLines())
            if (opened.port == sent[i].port && opened.atMs <= sentAt[i]) openedAt = opened.atMs;
        EXPECT_EQ(sentAt[i] - openedAt, 1000) << sent[i].port << " " << sent[i].text.toStdString();
    }
}

// The status line as each pass starts, and the current cell it finds: the one-at-a-time loop
// leaves it on row 16, in the result column when COM16 was tried.
TEST_P(SurveyRules, EachPassNamesItselfAndFindsTheCurrentCellWhereTheLastOneLeftIt) {
    rig.line.port.addDevice(3, answering("\r\nOK\r\n", "\r\nINFO\r\n\r\nOK\r\n"));
    rig.line.port.addDevice(16, answering("\r\nOK\r\n", "\r\nINFO\r\n\r\nOK\r\n"));
    struct Start {
        QString status;
        int row;
        int col;
    };
    std::vector<Start> starts;
    rig.line.pump.onPump = [&] {
        const QString status = rig.widgets.StatusBar1.simpleText();
        if (starts.empty() || starts.back().status != status)
            starts.push_back(
                {status, rig.widgets.MSFlexGrid1.row(), rig.widgets.MSFlexGrid1.col()});
    };
    rig.form.Command1_Click();

    // The texts written out, so that a changed word in the text table shows too.
    const std::vector<Start> expected = {{"OSが使用・定義しているCOMポートの検出", 0, 3},
                                         {"ATコマンドを受け付けるか検査", 16, 1},
                                         {"機器情報の取得", 16, 2}};
    ASSERT_EQ(starts.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(starts[i].status, expected[i].status) << i;
        EXPECT_EQ(starts[i].row, expected[i].row) << i;
        EXPECT_EQ(starts[i].col, expected[i].col) << i;
    }
    EXPECT_TRUE(rig.widgets.StatusBar1.simpleText().isEmpty());
    EXPECT_EQ(rig.widgets.MSFlexGrid1.row(), 16);
    EXPECT_EQ(rig.widgets.MSFlexGrid1.col(), 3);
}

// Nothing tells the pass that the port is gone but the open's failure, which it does not
// look at: the settling wait and the exchange run as for any marked port, and the failing
// exchange leaves the cell empty on white.
TEST_P(SurveyRules, AMarkedPortThatNoLongerOpensStillWaitsAndTriesItsExchange) {
    rig.line.port.addDevice(6, answering("\r\nOK\r\n", "\r\nOK\r\n"));
    rig.line.pump.onPump = [&] {
        if (rig.widgets.StatusBar1.simpleText() == survey::kAtStatus) rig.line.port.removeDevice(6);
    };
    rig.form.Command1_Click();

    EXPECT_EQ(rig.cell(6, 1).backColor, survey::kMark);
    EXPECT_TRUE(rig.cell(6, 2).text.isEmpty());
    EXPECT_EQ(rig.cell(6, 2).backColor, survey::kWhite);
    EXPECT_TRUE(rig.cell(6, 2).toolTip.startsWith("ポートを開けませんでした: "))
        << rig.cell(6, 2).toolTip.toStdString();
    // The 1000 ms wait, then an exchange that the closed port refuses at once.
    EXPECT_EQ(rig.line.clock.ms(), 1000);
    EXPECT_EQ(rig.line.port.outputCalls(), 1);
    EXPECT_TRUE(rig.line.port.sent().empty());
    EXPECT_EQ(rig.cell(6, 3).backColor, Grid::kNoColor);
}

// The unit comes into being with the first step that sets a port's number, after COM1's name
// is written; every open is preceded by the five settings in their order.
TEST_P(SurveyRules, OpeningStepsRunInTheirOrderAndTheFirstOneBringsTheUnit) {
    rig.line.port.addDevice(4, answering("\r\nOK\r\n", "\r\nOK\r\n"));
    rig.line.port.addDevice(11);
    rig.form.Command1_Click();

    EXPECT_EQ(rig.createdWith, (QStringList{"COM1", "OSが使用・定義しているCOMポートの検出"}));
    ASSERT_FALSE(rig.unitLog.isEmpty());
    EXPECT_EQ(rig.unitLog.first(), "CommPort 1");

    std::vector<const QStringList*> all{&rig.unitLog};
    for (const QStringList& log : rig.logs) all.push_back(&log);
    int opens = 0;
    for (const QStringList* log : all) {
        for (qsizetype i = 0; i < log->size(); ++i) {
            if (log->at(i) != "PortOpen 1") continue;
            ++opens;
            ASSERT_GE(i, 5);
            const QStringList steps = log->mid(i - 5, 5);
            const QString port = steps.first();
            EXPECT_TRUE(port.startsWith("CommPort ")) << port.toStdString();
            EXPECT_EQ(steps.mid(1), (QStringList{"Settings 9600,N,8,1", "DTREnable 1",
                                                 "RTSEnable 1", "Handshaking 0"}))
                << port.toStdString();
        }
    }
    // Sixteen tries in pass 1, ports 4 and 11 in pass 2, port 4 in pass 3.
    EXPECT_EQ(opens, 16 + 2 + 1);
}

INSTANTIATE_TEST_SUITE_P(BothWays, SurveyRules, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& param) {
                             return param.param ? std::string("Parallel")
                                                : std::string("OnePortAtATime");
                         });

}  // namespace
