// The identification step after the three passes, on a fake clock: without --identify nothing
// more reaches a device and the grid is the passes' own; with it, the same grid, one command a
// line to the ports that passed the AT check, a speed search only where 9600 heard nothing
// but noise, and the same identities one port at a time and all at once.

#include "fakes.h"
#include "identityquestions.h"
#include "mainform.h"
#include "mdcomm.h"
#include "memorywidgets.h"
#include "surveytexts.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <map>

using namespace qelv;
using namespace qelv::test;

namespace {

using Replies = std::vector<ScriptedPort::Reply>;

// A device that answers the survey's two commands and a table of others, each after 20 ms;
// anything else it refuses.
ScriptedPort::Responder device(const char* at, const char* info,
                               std::map<QString, QString> answers = {}) {
    return [=](const QString& sent) -> Replies {
        const QString command = sent.trimmed();
        if (command == "ATE0Q0V1") return {{20, QString::fromLatin1(at)}};
        if (command == "ATI4I2I0") return {{20, QString::fromLatin1(info)}};
        const auto it = answers.find(command);
        return {{20, it != answers.end() ? it->second : QStringLiteral("\r\nERROR\r\n")}};
    };
}

void addBench(ScriptedPort& port) {
    port.addDevice(1, device("\r\nOK\r\n", "\r\nERROR\r\n",
                             {{"AT+CGMI", "\r\nQuectel\r\n\r\nOK\r\n"},
                              {"AT+CGMM", "\r\nEC25\r\n\r\nOK\r\n"},
                              {"AT+CGMR", "\r\nEC25EFAR06A06M4G\r\n\r\nOK\r\n"},
                              {"AT+CGSN", "\r\n866758040123456\r\n\r\nOK\r\n"}}));
    port.addDevice(2);                               // silent: searched, nothing found
    port.addDevice(3, device("\r\nERROR\r\n", ""));  // heard 9600: not searched
    port.addDevice(
        5, device("\r\nOK\r\n", "\r\nSIM-5600\r\n\r\nOK\r\n",
                  {{"ATI", "\r\n56000\r\n\r\nOK\r\n"}, {"ATI3", "\r\nV2.210\r\n\r\nOK\r\n"}}));
}

struct IdentifyRun {
    IdentifyRun(bool identify, bool parallel)
        : form(widgets.widgets(),
               {.pump = line.pump,
                .unit = [this]() -> Mdcomm& { return unit; },
                .parallel = parallel,
                .newPort = [this]() -> std::unique_ptr<SerialPort> { return line.port.sibling(); },
                .identify = identify}) {
        addBench(line.port);
        form.Form_Load();
        form.Form_Resize();
        form.Command1_Click();
    }
    const GridCells& cells() const { return widgets.MSFlexGrid1.cells(); }
    QStringList sentTo(int n) const {
        QStringList sent;
        for (const auto& s : line.port.sent())
            if (s.port == n) sent << s.text.trimmed();
        return sent;
    }

    FakeLine line;
    Mdcomm unit{line.clock, line.pump, line.port};
    MemoryForm widgets;
    MainForm form;
};

void expectSameGrid(const GridCells& got, const GridCells& expected) {
    for (int row = 0; row < expected.rows(); ++row)
        for (int col = 0; col < expected.cols(); ++col) {
            const GridCell& a = got.at(row, col);
            const GridCell& b = expected.at(row, col);
            EXPECT_EQ(a.text, b.text) << row << "," << col;
            EXPECT_EQ(a.backColor, b.backColor) << row << "," << col;
            EXPECT_EQ(a.toolTip, b.toolTip) << row << "," << col;
            EXPECT_EQ(a.reply, b.reply) << row << "," << col;
        }
    EXPECT_EQ(got.row(), expected.row());
    EXPECT_EQ(got.col(), expected.col());
}

TEST(IdentifyStep, WithoutItNothingMoreIsSentAndWithItTheGridStaysTheSame) {
    const IdentifyRun plain(false, false);
    EXPECT_EQ(plain.sentTo(1), QStringList({"ATE0Q0V1", "ATI4I2I0"}));
    EXPECT_EQ(plain.sentTo(2), QStringList({"ATE0Q0V1"}));
    EXPECT_EQ(plain.widgets.StatusBar1.lastShownProgress(), MainForm::kSurveySteps);
    for (int n = 1; n <= 16; ++n) EXPECT_TRUE(plain.form.identity(n).isEmpty()) << n;

    for (bool parallel : {false, true}) {
        const IdentifyRun asked(true, parallel);
        expectSameGrid(asked.cells(), plain.cells());
        EXPECT_EQ(asked.sentTo(1),
                  QStringList({"ATE0Q0V1", "ATI4I2I0", "AT+CGMI", "AT+CGMM", "AT+CGMR", "AT+CGSN"}))
            << parallel;
        EXPECT_EQ(asked.sentTo(2), QStringList({"ATE0Q0V1", "AT", "AT", "AT", "AT", "AT"}));
        EXPECT_EQ(asked.sentTo(3), QStringList({"ATE0Q0V1"}));  // it said ERROR at 9600
        EXPECT_EQ(asked.sentTo(5).mid(2).first(), "AT+CGMI");
        EXPECT_EQ(asked.sentTo(5).mid(2).size(), IdentityQuestions::kMostCommands);

        const DeviceIdentity& quectel = asked.form.identity(1);
        EXPECT_EQ(quectel.manufacturer.value, "Quectel");
        EXPECT_EQ(quectel.serial.value, "866758040123456");
        EXPECT_EQ(quectel.speed, 9600);
        EXPECT_EQ(asked.form.identity(5).model.value, "56000");
        EXPECT_EQ(asked.form.identity(5).revision.value, "V2.210");
        EXPECT_TRUE(asked.form.identity(2).isEmpty());
        EXPECT_TRUE(asked.form.identity(3).isEmpty());

        // The tooltips of the port's name and of its information cell tell it.
        for (int col : {0, 3})
            EXPECT_TRUE(asked.cells().at(1, col).identity.contains("EC25")) << col;
        EXPECT_TRUE(cellNote(asked.cells().at(1, 3)).contains("シリアル番号: 866758040123456"));
        EXPECT_TRUE(asked.cells().at(4, 0).identity.isEmpty());
        EXPECT_EQ(asked.widgets.StatusBar1.simpleText(), QString());
        EXPECT_EQ(asked.widgets.StatusBar1.lastShownProgress(),
                  MainForm::kSurveySteps + survey::kPorts);
        EXPECT_EQ(asked.line.port.openNow(), 0);
    }
}

}  // namespace
