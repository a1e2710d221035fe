// `qel-v check`, the monitoring plugin: its command line, its judgement of each way an
// exchange ends, and the program against simulated devices, a missing one and a held one.

#include "atrequest.h"
#include "check/checkrequest.h"
#include "check/checkverdict.h"
#include "holder.h"
#include "modemsim/simulatorprocess.h"
#include "qtserialport.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>

using namespace qelv;
using namespace std::chrono_literals;

namespace {

TEST(CheckRequest, ThresholdsAndWhatIsNotUnderstood) {
    const CheckRequest plain = parseCheckRequest({"COM3"});
    EXPECT_EQ(plain.port, "COM3");
    EXPECT_EQ(plain.command, "AT");
    EXPECT_EQ(plain.expect, "OK");
    EXPECT_FALSE(plain.warning);
    EXPECT_EQ(plain.critical, 2000ms);
    const CheckRequest full = parseCheckRequest(
        {"-w", "500", "-c1500", "--command=ATI", "--expect", "+CSQ:", "/nonexistent/dev/ttyUSB2"});
    EXPECT_EQ(full.warning, 500ms);
    EXPECT_EQ(full.critical, 1500ms);
    EXPECT_EQ(full.command, "ATI");
    EXPECT_EQ(full.expect, "+CSQ:");
    EXPECT_EQ(full.port, "/nonexistent/dev/ttyUSB2");
    EXPECT_TRUE(parseCheckRequest({"-h"}).help);
    EXPECT_TRUE(parseCheckRequest({"--version"}).version);
    EXPECT_EQ(parseCheckRequest({"-w", "2000", "COM1"}).warning, 2000ms);  // equal is fine
    const CheckRequest network =
        parseCheckRequest({"--port", "COM5=rfc2217://ts1:4001", "COM5", "--port=COM6=/dev/x"});
    EXPECT_EQ(network.portTargets, (PortTargets{{5, "rfc2217://ts1:4001"}, {6, "/dev/x"}}));
    EXPECT_EQ(parseCheckRequest({"socket://[::1]:7"}).port, "socket://[::1]:7");

    const QStringList bad[] = {
        {},
        {"COM17"},
        {"ttyUSB0"},
        {"COM1", "COM2"},
        {"COM1", "-w"},
        {"COM1", "-w", "0"},
        {"COM1", "-w", "1.5"},
        {"COM1", "-c", "-3"},
        {"COM1", "-w", "3000"},
        {"COM1", "-w", "600", "-c", "500"},
        {"COM1", "--command", ""},
        {"COM1", "--expect="},
        {"COM1", "--settings", "9600,X,8,1"},
        {"COM1", "--wait", "100"},
        {"COM1", "-x"},
        {"COM1", "--port", "COM1"},
        {"COM1", "--port", "COM3=ftp://ts1:21"},
        {"rfc2217://ts1"},
        {"socket://ts1:0"},
    };
    for (const QStringList& args : bad)
        EXPECT_THROW(parseCheckRequest(args), AtUsageError) << args.join(' ').toStdString();
}

TEST(CheckVerdict, EachWayAnExchangeEndsHasItsStatusAndLine) {
    CheckRequest r;
    r.warning = 100ms;
    r.critical = 1000ms;
    struct Row {
        QString reply;
        std::chrono::milliseconds took;
        CheckStatus status;
        QString line;
    };
    const QString dev = " (Quectel EC25) | ";
    const Row rows[] = {
        {"AT\r\r\nOK\r\n", 16ms, CheckStatus::Ok,
         "COM3 answered \"OK\" in 16 ms" + dev + "time=0.016s;0.100;1.000;0"},
        {"\r\nOK\r\n", 100ms, CheckStatus::Ok,
         "COM3 answered \"OK\" in 100 ms" + dev + "time=0.100s;0.100;1.000;0"},
        {"\r\nOK\r\n", 101ms, CheckStatus::Warning,
         "COM3 answered \"OK\" in 101 ms, slower than 100 ms" + dev + "time=0.101s;0.100;1.000;0"},
        {"\r\nOK\r\n", 1001ms, CheckStatus::Critical,
         "COM3 answered \"OK\" in 1001 ms, slower than 1000 ms" + dev +
             "time=1.001s;0.100;1.000;0"},
        {"\r\n+CME ERROR: 10\r\n", 1000ms, CheckStatus::Critical,
         "COM3 answered \"+CME ERROR: 10\" instead of \"OK\"" + dev + "time=1.000s;0.100;1.000;0"},
        {"\r\nNO CARRIER\r\n", 1000ms, CheckStatus::Critical,
         "COM3 answered \"NO CARRIER\" instead of \"OK\"" + dev + "time=1.000s;0.100;1.000;0"},
        {"", 1000ms, CheckStatus::Critical,
         "COM3 did not answer \"OK\" within 1000 ms" + dev + "time=U;0.100;1.000;0"},
        // Neither the answer nor a refusal: lower case, no line end after OK, half a word.
        {"\r\nok\r\n", 1000ms, CheckStatus::Critical,
         "COM3 did not answer \"OK\" within 1000 ms; it said \"ok\"" + dev +
             "time=U;0.100;1.000;0"},
        {"\r\nOK", 1000ms, CheckStatus::Critical,
         "COM3 did not answer \"OK\" within 1000 ms; it said \"OK\"" + dev +
             "time=U;0.100;1.000;0"},
        // A device's '|' would start the performance data; its controls would reach a terminal.
        {"\r\n|a\x1b[2J\r\n", 1000ms, CheckStatus::Critical,
         "COM3 did not answer \"OK\" within 1000 ms; it said \"\\x7Ca\\x1B[2J\"" + dev +
             "time=U;0.100;1.000;0"},
    };
    for (const Row& row : rows) {
        const CheckResult result = judgeAnswer(r, "COM3", "Quectel EC25", row.reply, row.took);
        EXPECT_EQ(result.status, row.status) << row.reply.toStdString();
        const QString words[] = {"OK", "WARNING", "CRITICAL", "UNKNOWN"};
        EXPECT_EQ(statusLine(result),
                  "QEL-V " + words[static_cast<int>(row.status)] + " - " + row.line + "\n");
    }

    CheckRequest plain;  // no -w: only OK or CRITICAL, and an empty warning field
    EXPECT_EQ(
        statusLine(judgeAnswer(plain, "/nonexistent/dev/ttyACM0", "", "\r\nOK\r\n", 1999ms)),
        "QEL-V OK - /nonexistent/dev/ttyACM0 answered \"OK\" in 1999 ms | time=1.999s;;2.000;0\n");

    const ModemError busy(errc::kPortOpenFailed, "使用中です", OpenFailure::Busy);
    EXPECT_EQ(judgeOpenFailure(busy).status, CheckStatus::Unknown);
    for (OpenFailure f : {OpenFailure::Absent, OpenFailure::PermissionDenied,
                          OpenFailure::NotSerial, OpenFailure::Other})
        EXPECT_EQ(judgeOpenFailure(ModemError(errc::kPortOpenFailed, "x", f)).status,
                  CheckStatus::Critical);
    const CheckResult gone = judgeExchangeFailure(ModemError(errc::kPortIoFailed, "gone\nnow"));
    EXPECT_EQ(gone.status, CheckStatus::Critical);
    EXPECT_EQ(statusLine(gone), "QEL-V CRITICAL - error 8015: gone\\nnow\n");
    EXPECT_EQ(statusLine(unknown("unknown option: -x")), "QEL-V UNKNOWN - unknown option: -x\n");
}

struct Ran {
    int exitCode = -1;
    QString out;
    QString err;
};

Ran check(const QStringList& args) {
    QProcess process;
    process.start(QStringLiteral(QELV_BINARY_PATH), QStringList{"check"} + args);
    EXPECT_TRUE(process.waitForFinished(30000));
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

class CheckProgram : public ::testing::Test {
protected:
    void SetUp() override {
        // A modem, a silent device, one answering after 300 ms, one that refuses ATI, and one
        // that another program holds; COM9 has no device.
        sim = std::make_unique<SimulatorProcess>(
            QELV_MODEMSIM_PATH, dir.path().toStdString(),
            std::vector<std::string>{"hayes@1", "silent@2", "late:300@3", "error@4", "hayes@5"});
    }
    Ran run(QStringList args) { return check(QStringList{"--ports", dir.path()} + args); }

    QTemporaryDir dir;
    std::unique_ptr<SimulatorProcess> sim;
};

TEST_F(CheckProgram, ModemSilentMissingHeldAndBadOptionGiveZeroTwoTwoThreeThree) {
    const Ran modem = run({"COM1"});
    EXPECT_EQ(modem.exitCode, 0) << modem.out.toStdString();
    EXPECT_TRUE(modem.out.startsWith("QEL-V OK - COM1 answered \"OK\" in "))
        << modem.out.toStdString();
    EXPECT_TRUE(modem.out.contains(QRegularExpression(" \\| time=0\\.[0-9]{3}s;;2\\.000;0\\n$")))
        << modem.out.toStdString();
    EXPECT_EQ(modem.out.count(u'\n'), 1);

    const Ran silent = run({"COM2", "-c", "300"});
    EXPECT_EQ(silent.exitCode, 2);
    EXPECT_EQ(silent.out,
              "QEL-V CRITICAL - COM2 did not answer \"OK\" within 300 ms | "
              "time=U;;0.300;0\n");

    const Ran missing = run({"COM9"});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_TRUE(missing.out.startsWith("QEL-V CRITICAL - ")) << missing.out.toStdString();
    EXPECT_TRUE(missing.out.contains("COM9")) << missing.out.toStdString();

    const QString held = QString::fromStdString(sim->devicePath(5));
    const test::Holder holder({}, held);
    const Ran busy = run({"COM5"});
    EXPECT_EQ(busy.exitCode, 3);
    EXPECT_TRUE(busy.out.startsWith("QEL-V UNKNOWN - ")) << busy.out.toStdString();
    EXPECT_TRUE(busy.out.contains(QString::number(holder.pid()))) << busy.out.toStdString();
    EXPECT_EQ(sim->received(5), "") << "a held port is not written to";

    const Ran bad = run({"COM1", "--wait", "5"});
    EXPECT_EQ(bad.exitCode, 3);
    EXPECT_EQ(bad.out, "QEL-V UNKNOWN - unknown option: --wait\n");
    EXPECT_TRUE(bad.err.contains("qel-v check --help"));
    EXPECT_EQ(check({"--ports", dir.path() + "/none", "COM1"}).exitCode, 3);
}

TEST_F(CheckProgram, SlowRefusingAndCustomExchanges) {
    const Ran slow = run({"COM3", "-w", "100", "-c", "1500"});
    EXPECT_EQ(slow.exitCode, 1) << slow.out.toStdString();
    EXPECT_TRUE(slow.out.startsWith("QEL-V WARNING - COM3 answered \"OK\" in "));
    EXPECT_TRUE(slow.out.contains("slower than 100 ms | time=0."));

    // A refusal is told at once, not when the 2000 ms limit has passed.
    const Ran refused = run({"COM4", "--command", "ATI4I2I0"});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(
        refused.out.startsWith("QEL-V CRITICAL - COM4 answered \"ERROR\" instead of "
                               "\"OK\""))
        << refused.out.toStdString();
    EXPECT_TRUE(refused.out.contains(QRegularExpression(" \\| time=0\\.[0-9]{3}s;;2\\.000;0\\n$")))
        << refused.out.toStdString();
    EXPECT_NE(sim->received(4).find("ATI4I2I0\r\n"), std::string::npos);

    const Ran byPath =
        check({QString::fromStdString(sim->devicePath(1)), "--command", "ATI4", "--expect", "OK"});
    EXPECT_EQ(byPath.exitCode, 0) << byPath.out.toStdString();

    const Ran help = check({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains("UNKNOWN"));
    EXPECT_EQ(check({"-V"}).out, "qel-v check 1.1.0\n");
}

// A monitoring system ends a check that outlasts its own timeout with SIGTERM: UNKNOWN, and
// the port is free again at once.
TEST_F(CheckProgram, EndedBySignalIsUnknownAndReleasesThePort) {
    QProcess process;
    process.start(QStringLiteral(QELV_BINARY_PATH),
                  {"check", "--ports", dir.path(), "COM2", "-c", "20000"});
    bool sent = false;
    for (int i = 0; i < 200 && !sent; ++i) {
        sent = sim->received(2).find("AT\r\n") != std::string::npos;
        if (!sent) QThread::msleep(25);
    }
    ASSERT_TRUE(sent);
    ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
    ASSERT_TRUE(process.waitForFinished(5000));
    EXPECT_EQ(process.exitCode(), 3);
    EXPECT_EQ(process.readAllStandardOutput(), "QEL-V UNKNOWN - interrupted; COM2 was released\n");
    QtSerialPort again(PortMap::fromDirectory(dir.path()));
    again.setCommPort(2);
    again.setPortOpen(true);  // no lock, flock or exclusive mode left behind
    EXPECT_TRUE(again.portOpen());
}

}  // namespace
