#include "mainform.h"
#include "caption.h"
#include "fakes.h"
#include "mdcomm.h"
#include "memorywidgets.h"
#include "shutdown.h"
#include "surveytexts.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

using namespace qelv;
using namespace qelv::test;

namespace {

// A Hayes-like script: answers every command line with its echo-free reply after 30 ms.
ScriptedPort::Responder modem(const char* atReply, const char* infoReply) {
    return [=](const QString& sent) -> std::vector<ScriptedPort::Reply> {
        if (sent.startsWith("ATE0Q0V1")) return {{30, QString::fromLatin1(atReply)}};
        if (sent.startsWith("ATI4I2I0")) return {{30, QString::fromLatin1(infoReply)}};
        return {};
    };
}

struct Survey : ::testing::Test {
    FakeLine line;
    Mdcomm unit{line.clock, line.pump, line.port};
    MemoryForm widgets;
    MainForm form{widgets.widgets(),
                  {.pump = line.pump, .unit = [this]() -> Mdcomm& { return unit; }}};

    void SetUp() override {
        form.Form_Load();
        form.Form_Resize();
    }
    const GridCell& cell(int row, int col) const {
        return widgets.MSFlexGrid1.cells().at(row, col);
    }
};

TEST_F(Survey, LoadLaysOutTheGridAndCaption) {
    const GridCells& cells = widgets.MSFlexGrid1.cells();
    EXPECT_EQ(cells.rows(), 17);
    EXPECT_EQ(cells.cols(), 4);
    EXPECT_EQ(cell(0, 0).text, "ポート");
    EXPECT_EQ(cell(0, 1).text, "接続状態");
    EXPECT_EQ(cell(0, 2).text, "ATコマンド 対応状況");
    EXPECT_EQ(cell(0, 3).text, "機器情報");
    EXPECT_TRUE(cell(16, 3).text.isEmpty());
    EXPECT_EQ(cells.row(), 0);
    EXPECT_EQ(cells.col(), 3);
    EXPECT_EQ(widgets.window.caption(), "Tobelune   QEL-V ver 1.1 Rev0");
    EXPECT_EQ(widgets.StatusBar1.style(), 1);
}

// Keeps the load-time settings that the in-memory grid drops, with the cell each was given at.
struct LoadRecordingGrid : MemoryGrid {
    std::vector<std::pair<int, int>> widths;              // column, twips
    std::vector<std::tuple<int, int, int>> headerStyles;  // row, column, style
    std::vector<std::tuple<bool, bool, int>> loadSettings;
    void setColWidth(int col, int twips) override { widths.emplace_back(col, twips); }
    void setHeaderCellStyle(int style) override { headerStyles.emplace_back(row(), col(), style); }
    void setLoadSettings(bool first, bool second, int value) override {
        loadSettings.emplace_back(first, second, value);
    }
};

TEST(FormLoad, ColumnWidthsHeaderStylesAndGridSettings) {
    FakeLine line;
    Mdcomm unit{line.clock, line.pump, line.port};
    MemoryForm widgets;
    LoadRecordingGrid grid;
    MainForm form({widgets.window, grid, widgets.StatusBar1, widgets.Command1},
                  {line.pump, [&]() -> Mdcomm& { return unit; }, {}, {}, VersionNumbers{}});
    form.Form_Load();
    // Column 0 keeps the grid's default width.
    const std::vector<std::pair<int, int>> widths = {{1, 1200}, {2, 2200}, {3, 5000}};
    EXPECT_EQ(grid.widths, widths);
    const std::vector<std::tuple<int, int, int>> styles = {
        {0, 0, 3}, {0, 1, 3}, {0, 2, 3}, {0, 3, 3}};
    EXPECT_EQ(grid.headerStyles, styles);
    const std::vector<std::tuple<bool, bool, int>> settings = {{false, false, 1}};
    EXPECT_EQ(grid.loadSettings, settings);
}

TEST(Caption, NumbersWithoutLeadingZerosOrBlanks) {
    EXPECT_EQ(formatCaption({1, 1, 0}), "Tobelune   QEL-V ver 1.1 Rev0");
    EXPECT_EQ(formatCaption({2, 10, 123}), "Tobelune   QEL-V ver 2.10 Rev123");
}

TEST_F(Survey, ResizeFillsTheWindowAndClampsATooSmallOne) {
    EXPECT_FLOAT_EQ(widgets.MSFlexGrid1.width(), 8655.0f);
    EXPECT_FLOAT_EQ(widgets.MSFlexGrid1.height(), 4185.0f);
    widgets.window.setInnerSize(3000.0f, 1215.0f);
    form.Form_Resize();
    EXPECT_FLOAT_EQ(widgets.MSFlexGrid1.width(), 3000.0f);
    EXPECT_FLOAT_EQ(widgets.MSFlexGrid1.height(), 0.0f);
    widgets.window.setInnerSize(100.0f, 300.0f);
    form.Form_Resize();
    EXPECT_FLOAT_EQ(widgets.MSFlexGrid1.height(), 0.0f);
}

TEST_F(Survey, NoPortsMarksEveryRowWhiteAndTriesNothingFurther) {
    form.Command1_Click();
    for (int n = 1; n <= 16; ++n) {
        EXPECT_EQ(cell(n, 0).text, survey::portName(n));
        EXPECT_TRUE(cell(n, 1).text.isEmpty());
        EXPECT_EQ(cell(n, 1).backColor, survey::kWhite);
        EXPECT_EQ(cell(n, 2).backColor, Grid::kNoColor);
    }
    EXPECT_EQ(cell(9, 0).text, "COM9");
    EXPECT_EQ(cell(10, 0).text, "COM10");
    EXPECT_TRUE(line.port.sent().empty());
    EXPECT_EQ(line.clock.ms(), 0);  // pass 1 has no waits
}

TEST_F(Survey, ModemAnswersAreShownWithTheirLineBreaks) {
    line.port.addDevice(3, modem("\r\nOK\r\n", "\r\nSIM-5600\r\n\r\nOK\r\n"));
    line.port.addDevice(5, modem("\r\nOK\r\n", "\r\nERROR\r\n"));
    line.port.addDevice(7);  // opens, silent
    form.Command1_Click();
    EXPECT_EQ(cell(3, 1).text, "OK");
    EXPECT_EQ(cell(3, 1).backColor, survey::kMark);
    EXPECT_EQ(cell(3, 2).text, "\r\nOK\r\n");
    EXPECT_EQ(cell(3, 2).backColor, survey::kMark);
    EXPECT_EQ(cell(3, 3).text, "\r\nSIM-5600\r\n\r\nOK\r\n");
    EXPECT_EQ(cell(5, 2).backColor, survey::kMark);
    EXPECT_TRUE(cell(5, 3).text.isEmpty());
    EXPECT_EQ(cell(5, 3).backColor, survey::kWhite);
    EXPECT_EQ(cell(7, 2).backColor, survey::kWhite);
    EXPECT_EQ(cell(7, 3).backColor, Grid::kNoColor);
    // Exactly the two commands, with CR LF, and only to ports that opened.
    std::vector<std::pair<int, QString>> sent;
    for (const auto& s : line.port.sent()) sent.emplace_back(s.port, s.text);
    const std::vector<std::pair<int, QString>> expected = {{3, "ATE0Q0V1\r\n"},
                                                           {5, "ATE0Q0V1\r\n"},
                                                           {7, "ATE0Q0V1\r\n"},
                                                           {3, "ATI4I2I0\r\n"},
                                                           {5, "ATI4I2I0\r\n"}};
    EXPECT_EQ(sent, expected);
    EXPECT_FALSE(line.port.portOpen());
    EXPECT_TRUE(widgets.StatusBar1.simpleText().isEmpty());
    EXPECT_EQ(widgets.MSFlexGrid1.cells().row(), 16);
    EXPECT_EQ(widgets.MSFlexGrid1.cells().col(), 3);
}

TEST_F(Survey, AcceptanceIsLooserThanTheStopTestAndCaseSensitive) {
    line.port.addDevice(1, modem("OK", ""));  // no line end: runs to the limit, still passes
    line.port.addDevice(2, modem("\r\nok\r\n", ""));
    form.Command1_Click();
    EXPECT_EQ(cell(1, 2).text, "OK");
    EXPECT_EQ(cell(1, 2).backColor, survey::kMark);
    EXPECT_EQ(cell(2, 2).backColor, survey::kWhite);
}

// What one survey said against a cell goes when the next one passes it, and the sign of a
// failed open goes when the port opens.
TEST_F(Survey, AFailureNoteLastsOnlyUntilTheCellPasses) {
    line.port.addDevice(4, modem("\r\nERROR\r\n", ""));
    form.Command1_Click();
    ASSERT_EQ(cell(4, 2).backColor, survey::kWhite);
    EXPECT_EQ(cell(4, 2).toolTip, survey::kAnswerWithoutOk);
    EXPECT_EQ(cell(4, 2).reply, "\r\nERROR\r\n");
    EXPECT_EQ(cell(4, 1).failure, OpenFailure::None);
    line.port.addDevice(4, modem("\r\nOK\r\n", "\r\nOK\r\n"));
    form.Command1_Click();
    EXPECT_EQ(cell(4, 2).backColor, survey::kMark);
    EXPECT_TRUE(cell(4, 2).toolTip.isEmpty());
    EXPECT_TRUE(cell(4, 2).reply.isEmpty());
}

TEST_F(Survey, EveryOpenUsesTheSurveysLineSettings) {
    line.port.addDevice(2, modem("\r\nOK\r\n", "\r\nOK\r\n"));
    line.port.addDevice(9);
    form.Command1_Click();
    // Port 2 opens in all three passes, port 9 in the first two.
    ASSERT_EQ(line.port.openedLines().size(), 5u);
    for (const ScriptedPort::Line& opened : line.port.openedLines()) {
        EXPECT_EQ(opened.settings, "9600,N,8,1") << opened.port;
        EXPECT_TRUE(opened.dtr) << opened.port;
        EXPECT_TRUE(opened.rts) << opened.port;
        EXPECT_EQ(opened.handshaking, 0) << opened.port;
    }
}

TEST_F(Survey, ButtonIsBusyDuringTheSurveyAndIdleAfter) {
    line.port.addDevice(1, modem("\r\nOK\r\n", "\r\nOK\r\n"));
    std::vector<std::pair<bool, QString>> seen;
    line.pump.onPump = [&] {
        seen.emplace_back(widgets.Command1.isEnabled(), widgets.Command1.caption());
    };
    form.Command1_Click();
    ASSERT_FALSE(seen.empty());
    for (const auto& [enabled, caption] : seen) {
        EXPECT_FALSE(enabled);
        EXPECT_EQ(caption, "検査中");
    }
    EXPECT_TRUE(widgets.Command1.isEnabled());
    EXPECT_EQ(widgets.Command1.caption(), "検査開始");
    EXPECT_EQ(widgets.StatusBar1.progress(), 0);
    EXPECT_EQ(widgets.StatusBar1.progressMax(), 0);
}

TEST_F(Survey, ResizeDuringTheSurveyLeavesTheCurrentCellAlone) {
    line.port.addDevice(2, modem("\r\nOK\r\n", "\r\nOK\r\n"));
    line.pump.onPump = [&] {
        const int row = widgets.MSFlexGrid1.row(), col = widgets.MSFlexGrid1.col();
        widgets.window.setInnerSize(5000.0f, 3000.0f);
        form.Form_Resize();
        EXPECT_EQ(widgets.MSFlexGrid1.row(), row);
        EXPECT_EQ(widgets.MSFlexGrid1.col(), col);
    };
    form.Command1_Click();
    EXPECT_EQ(cell(2, 3).backColor, survey::kMark);
}

// Events run inside the waits, and one of them may move the grid's current cell (a click on
// the grid): each result still goes to its own port's row and the pass's column.
TEST_F(Survey, ResultsLandInTheirPortsRowWhenTheCurrentCellMovesDuringTheWaits) {
    line.port.addDevice(5, modem("\r\nOK\r\n", "\r\nINFO 5\r\n\r\nOK\r\n"));
    line.port.addDevice(12, modem("\r\nOK\r\n", "\r\nERROR\r\n"));
    line.pump.onPump = [&] {
        if (line.clock.ms() == 0) return;  // pass 1 has no waits
        widgets.MSFlexGrid1.setRow(9);
        widgets.MSFlexGrid1.setCol(1);
    };
    form.Command1_Click();
    EXPECT_EQ(cell(5, 2).text, "\r\nOK\r\n");
    EXPECT_EQ(cell(5, 2).backColor, survey::kMark);
    EXPECT_EQ(cell(5, 3).text, "\r\nINFO 5\r\n\r\nOK\r\n");
    EXPECT_EQ(cell(5, 3).backColor, survey::kMark);
    EXPECT_EQ(cell(12, 2).backColor, survey::kMark);
    EXPECT_TRUE(cell(12, 3).text.isEmpty());
    EXPECT_EQ(cell(12, 3).backColor, survey::kWhite);
    // The cell the events moved to keeps what pass 1 wrote there.
    EXPECT_TRUE(cell(9, 1).text.isEmpty());
    EXPECT_EQ(cell(9, 1).backColor, survey::kWhite);
    EXPECT_EQ(cell(9, 2).backColor, Grid::kNoColor);
    EXPECT_EQ(cell(9, 3).backColor, Grid::kNoColor);
    EXPECT_EQ(cell(5, 1).text, "OK");
    EXPECT_EQ(cell(12, 1).text, "OK");
}

TEST_F(Survey, AFailingStepBeforeTheOpenMakesThePortCountAsNotOpenedAndStillCloses) {
    line.port.addDevice(4, modem("\r\nOK\r\n", "\r\nOK\r\n"));
    // The grid rejects the write of row 4's name, a step before the open.
    struct FailingGrid : MemoryGrid {
        bool failOn4 = true;
        void setText(const QString& text) override {
            if (failOn4 && row() == 4 && col() == 0)
                throw ModemError(errc::kInvalidPropertyValue, "x");
            MemoryGrid::setText(text);
        }
    } grid;
    MainForm other({widgets.window, grid, widgets.StatusBar1, widgets.Command1},
                   {.pump = line.pump, .unit = [this]() -> Mdcomm& { return unit; }});
    other.Form_Load();
    other.Command1_Click();
    EXPECT_EQ(grid.cells().at(4, 1).backColor, survey::kWhite);
    EXPECT_TRUE(grid.cells().at(4, 1).text.isEmpty());
    EXPECT_EQ(grid.cells().at(4, 1).failure,
              OpenFailure::Other);  // a failure, though not the open's
    EXPECT_FALSE(line.port.portOpen());
    EXPECT_TRUE(line.port.sent().empty());
    // The error state does not carry over to the next port.
    EXPECT_EQ(grid.cells().at(5, 1).backColor, survey::kWhite);
    line.port.addDevice(5);
    other.Command1_Click();
    EXPECT_EQ(grid.cells().at(5, 1).backColor, survey::kMark);
}

TEST_F(Survey, PortThatVanishesBetweenSurveysCarriesItsOldAnswerOver) {
    line.port.addDevice(6, modem("\r\nOK\r\n", "\r\nINFO\r\n\r\nOK\r\n"));
    form.Command1_Click();
    ASSERT_EQ(cell(6, 3).backColor, survey::kMark);
    line.port.removeDevice(6);
    form.Command1_Click();
    EXPECT_TRUE(cell(6, 1).text.isEmpty());
    EXPECT_EQ(cell(6, 1).backColor, survey::kWhite);
    // Pass 2 skips it, so column 2 keeps its earlier answer; pass 3 tries it and fails.
    EXPECT_EQ(cell(6, 2).text, "\r\nOK\r\n");
    EXPECT_EQ(cell(6, 2).backColor, survey::kMark);
    EXPECT_TRUE(cell(6, 3).text.isEmpty());
    EXPECT_EQ(cell(6, 3).backColor, survey::kWhite);
}

TEST_F(Survey, EachTriedPortCostsTheWaitPlusItsExchange) {
    line.port.addDevice(1);  // silent: 1000 + 2000 in pass 2
    form.Command1_Click();
    EXPECT_EQ(line.clock.ms(), 3000);
}

TEST_F(Survey, ProgressCountsEveryPortStep) {
    line.port.addDevice(2, modem("\r\nOK\r\n", "\r\nOK\r\n"));
    form.Command1_Click();
    EXPECT_EQ(widgets.StatusBar1.lastShownProgress(), MainForm::kSurveySteps);
    EXPECT_EQ(widgets.StatusBar1.progressMax(), 0);
}

TEST_F(Survey, UnloadInTheMiddleOfAWaitEndsTheSurveyWithThePortClosed) {
    line.port.addDevice(1);
    line.port.addDevice(2);
    bool ended = false;
    MainForm other(widgets.widgets(), {.pump = line.pump,
                                       .unit = [this]() -> Mdcomm& { return unit; },
                                       .endProgram = [&] { ended = true; }});
    line.pump.onPump = [&] {
        if (line.clock.ms() > 500) {
            std::int16_t cancel = 0;
            other.Form_Unload(cancel);
            shutdown::throwIfRequested();
        }
    };
    EXPECT_THROW(other.Command1_Click(), ShutdownRequested);
    shutdown::reset();
    EXPECT_TRUE(ended);
    EXPECT_FALSE(line.port.portOpen());
    EXPECT_TRUE(line.port.sent().empty());  // ended inside port 1's wait
}

}  // namespace
