// Whole surveys with and without --identify over the simulator's current devices on
// pseudo-terminals, time running four times faster: the same grid cell by cell, every device
// named, the fixed-speed one found at 115200 (and said so in its white cell's reason), and
// the 56k modem named in full although its information cell stops at ATI2's own "OK".

#include "gridrender.h"
#include "mainform.h"
#include "mdcomm.h"
#include "memorywidgets.h"
#include "modemsim/simulatorprocess.h"
#include "qtserialport.h"
#include "scaledtime.h"
#include "surveytexts.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

using namespace qelv;

namespace {

// A reply up to its first "OK" CR LF: what comes after it in the same read depends on how
// the device's pieces fell, which differs from run to run.
QString untilFirstOk(const QString& text) {
    const qsizetype ok = text.indexOf(QLatin1String("OK\r\n"));
    return ok < 0 ? text : text.left(ok + 4);
}

struct Survey {
    Survey(const QString& dir, bool identify, bool parallel)
        : ports(PortDirectory::fixed(PortMap::fromDirectory(dir))),
          port(ports),
          unit(clock, pump, port),
          form(widgets.widgets(), {.pump = pump,
                                   .unit = [this]() -> Mdcomm& { return unit; },
                                   .parallel = parallel,
                                   .newPort = [this]() -> std::unique_ptr<SerialPort> {
                                       return std::make_unique<QtSerialPort>(ports);
                                   },
                                   .identify = identify}) {
        form.Form_Load();
        form.Command1_Click();
    }
    const GridCell& cell(int row, int col) const {
        return widgets.MSFlexGrid1.cells().at(row, col);
    }

    std::shared_ptr<const PortDirectory> ports;
    test::ScaledClock clock{4};
    test::ScaledPump pump{4};
    QtSerialPort port;
    Mdcomm unit;
    MemoryForm widgets;
    MainForm form;
};

// Each survey meets devices fresh from power-up: the passes leave echo off behind them.
struct FreshBench {
    FreshBench(bool identify, bool parallel)
        : sim(QELV_MODEMSIM_PATH, dir.path().toStdString(),
              {"quectel-ec25@1", "esp-at@2", "usr-56k@3", "simcom-sim800@4", "noisy@5", "silent@6"},
              false),
          survey(dir.path(), identify, parallel) {}
    QTemporaryDir dir;
    SimulatorProcess sim;
    Survey survey;
};

TEST(IdentifySurvey, NamesTodaysDevicesAndLeavesTheGridAsThePassesMadeIt) {
    const FreshBench plainBench(false, false);
    const FreshBench askedBench(true, true);
    const Survey& plain = plainBench.survey;
    const Survey& asked = askedBench.survey;
    for (int row = 0; row <= 16; ++row)
        for (int col = 0; col < 4; ++col) {
            EXPECT_EQ(untilFirstOk(asked.cell(row, col).text),
                      untilFirstOk(plain.cell(row, col).text))
                << row << "," << col;
            EXPECT_EQ(asked.cell(row, col).backColor, plain.cell(row, col).backColor)
                << row << "," << col;
        }

    EXPECT_EQ(asked.form.identity(1).model.value, "EC25");
    EXPECT_EQ(asked.form.identity(4).manufacturer.value, "SIMCOM_Ltd");
    // The fixed-speed module: noise at 9600, found at 115200; its white cell says so.
    EXPECT_EQ(plain.cell(2, 2).backColor, survey::kWhite);
    EXPECT_EQ(asked.form.identity(2).speed, 115200);
    EXPECT_TRUE(asked.form.identity(2).revision.value.startsWith("2.2.0.0"));
    EXPECT_EQ(asked.cell(2, 2).toolTip,
              plain.cell(2, 2).toolTip + u'。' + survey::kAnswersAtSpeed.arg(115200));
    // The 56k modem: ATI2's "OK" ends its information cell, not its identity.
    EXPECT_TRUE(plain.cell(3, 3).text.startsWith("\r\nSoftK56 Data Fax\r\n\r\nOK\r\n"));
    const DeviceIdentity& usr = asked.form.identity(3);
    EXPECT_EQ(usr.manufacturer.value, "U.S. Robotics");
    EXPECT_EQ(usr.model.value, "USR5637 56K Faxmodem");
    EXPECT_EQ(usr.revision.value, "V7.04.05");
    // Noise and silence name nothing, and no output shows a device's text raw.
    EXPECT_TRUE(asked.form.identity(5).manufacturer.value.isEmpty());
    EXPECT_TRUE(asked.form.identity(6).isEmpty());
    const QString table = renderTable(asked.widgets.MSFlexGrid1.cells(), {}, true, 0,
                                      [&asked](int n) { return asked.form.identity(n); });
    EXPECT_TRUE(
        table.contains("COM3 機器の識別: メーカー: U.S. Robotics（AT）; 機種: USR5637 56K "
                       "Faxmodem（AT）; リビジョン: V7.04.05（AT）; 通信速度: 9600 bit/s（AT）\n"))
        << table.toStdString();
    for (const QChar c : table) EXPECT_FALSE(c.unicode() < 0x20 && c != u'\n');

    // One port at a time names them alike.
    const FreshBench aloneBench(true, false);
    for (int n = 1; n <= 6; ++n)
        EXPECT_EQ(aloneBench.survey.form.identity(n), asked.form.identity(n)) << n;
}

}  // namespace
