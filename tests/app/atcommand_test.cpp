// The `qel-v at` and `qel-v --read-log` command lines, run as the built program against a
// pseudo-terminal that the test plays the modem on.

#include "pty.h"
#include "ser2net/ser2netprocess.h"
#include "tcppeer.h"
#include "textescape.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>

using namespace qelv::test;
using namespace std::chrono_literals;

namespace {

// Generous bounds for a loaded machine; they only keep a broken run from hanging.
constexpr int kRunLimitMs = 20'000;

struct Ran {
    int exitCode = -1;
    QString out;
    QString err;
};

class AtCommandLine : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(state.isValid());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_STATE_HOME"), state.path());
        env.remove(QStringLiteral("QELV_PORTS"));
        program.setProcessEnvironment(env);
    }
    void TearDown() override {
        if (program.state() != QProcess::NotRunning) {
            program.kill();
            program.waitForFinished(kRunLimitMs);
        }
    }

    void start(const QStringList& args) {
        program.start(QStringLiteral(QELV_BINARY_PATH), args);
        ASSERT_TRUE(program.waitForStarted(kRunLimitMs));
    }
    Ran finish() {
        EXPECT_TRUE(program.waitForFinished(kRunLimitMs));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        return {program.exitCode(), QString::fromUtf8(program.readAllStandardOutput()),
                QString::fromUtf8(program.readAllStandardError())};
    }
    Ran run(const QStringList& args) {
        start(args);
        return finish();
    }
    // What the program sent, up to and including `end`.
    QByteArray receiveUntil(const QByteArray& end) {
        QByteArray got;
        QDeadlineTimer deadline(kRunLimitMs);
        while (!got.endsWith(end) && !deadline.hasExpired()) got += pty.received(50ms);
        return got;
    }
    // Plays one exchange: the command must arrive ending with `end`, then `reply` goes back.
    Ran exchange(const QStringList& args, const QByteArray& end, const QByteArray& reply,
                 QByteArray* sent = nullptr) {
        start(args);
        const QByteArray got = receiveUntil(end);
        if (sent) *sent = got;
        pty.send(reply);
        return finish();
    }

    QTemporaryDir state;
    Pty pty;
    QProcess program;
};

QStringList at(std::initializer_list<QString> rest) {
    return QStringList{QStringLiteral("at")} + QStringList(rest);
}

// --- The line and the printed reply ------------------------------------------------------

TEST_F(AtCommandLine, SendModemSendsCrLfAndPrintsTheEscapedReplyAndItsCode) {
    QByteArray sent;
    const Ran r = exchange(at({pty.slavePath(), QStringLiteral("ATI")}), "\n",
                           "\r\nMODEL \x1b[2J\r\nOK\r\n", &sent);
    EXPECT_EQ(sent, "ATI\r\n");
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "reply: \\r\\nMODEL \\x1B[2J\\r\\nOK\\r\\n\ncode: 0\n");
}

TEST_F(AtCommandLine, AtcretSendsCrAloneAndWaitsForTheFinalCode) {
    start(at({QStringLiteral("--op"), QStringLiteral("atcret"), pty.slavePath(),
              QStringLiteral("ATD5")}));
    EXPECT_EQ(receiveUntil("\r"), "ATD5\r");
    pty.send("\r\nCONNECT 9600\r\nNO CA");
    pty.send("RRIER\r\n");
    const Ran r = finish();
    EXPECT_EQ(r.exitCode, 3) << r.err.toStdString();  // the call ended on NO CARRIER
    EXPECT_EQ(r.out, "reply: \\r\\nCONNECT 9600\\r\\nNO CARRIER\\r\\n\ncode: 3\n");
    EXPECT_EQ(pty.received(0ms), "");  // no LF after the CR
}

TEST_F(AtCommandLine, AtcinterRetPrintsTheInformationText) {
    const Ran r =
        exchange(at({pty.slavePath(), QStringLiteral("--op=atcinterret"), QStringLiteral("ATI3")}),
                 "\r", "\r\nV1.2\r\n\r\nOK\r\n");
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "reply: V1.2\ncode: -1\n");
}

TEST_F(AtCommandLine, JsonOutputParsesAndHoldsTheReplyExactly) {
    const QByteArray reply("\r\n\"q\" \\ \x01\xe9\r\nOK\r\n");
    const Ran r = exchange(at({QStringLiteral("--json"), pty.slavePath(), QStringLiteral("AT")}),
                           "\n", reply);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    ASSERT_TRUE(r.out.endsWith(u'\n'));
    for (const QChar c : r.out.chopped(1))
        EXPECT_FALSE(qelv::isControlCharacter(c.unicode())) << "raw control on stdout";
    EXPECT_TRUE(r.out.contains(QChar(0xE9)));  // readable, as in the survey's JSON
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(r.out.toUtf8(), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << r.out.toStdString();
    EXPECT_EQ(doc.object().value("reply").toString(), QString::fromLatin1(reply));
    EXPECT_EQ(doc.object().value("code").toInt(-99), 0);
}

TEST_F(AtCommandLine, AtTrueJsonHasNoReplyAndItsOwnResult) {
    const Ran r = exchange(at({pty.slavePath(), QStringLiteral("--op"), QStringLiteral("attrue"),
                               QStringLiteral("--json"), QStringLiteral("AT+X")}),
                           "\r", "\r\nERROR\r\n");
    ASSERT_EQ(r.exitCode, 3) << r.err.toStdString();
    const QJsonObject json = QJsonDocument::fromJson(r.out.toUtf8()).object();
    EXPECT_TRUE(json.value("reply").isNull()) << r.out.toStdString();
    EXPECT_EQ(json.value("code").toInt(-99), 1);
}

// --- Exit statuses for scripts ------------------------------------------------------------

TEST_F(AtCommandLine, ExitStatusTellsSuccessRefusalAndSilenceApart) {
    Ran r = exchange(at({pty.slavePath(), QStringLiteral("AT")}), "\n", "\r\nOK\r\n");
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    r = exchange(at({pty.slavePath(), QStringLiteral("AT+BAD")}), "\n", "\r\nERROR\r\n");
    EXPECT_EQ(r.exitCode, 3) << r.err.toStdString();
    EXPECT_EQ(r.out, "reply: \\r\\nERROR\\r\\n\ncode: 4\n");
    r = run(at(
        {QStringLiteral("--wait"), QStringLiteral("100"), pty.slavePath(), QStringLiteral("AT")}));
    EXPECT_EQ(r.exitCode, 4) << r.err.toStdString();
    EXPECT_EQ(r.out, "reply: \ncode: -1\n");
    pty.received(0ms);
}

TEST_F(AtCommandLine, TimeoutEndsAnAtcretThatNeverEndsWithWhatArrived) {
    for (const char* pumping : {"--no-events", "--json"}) {
        const Ran r = run(at({QStringLiteral("--op"), QStringLiteral("atcret"),
                              QStringLiteral("--timeout"), QStringLiteral("300"),
                              QLatin1String(pumping), pty.slavePath(), QStringLiteral("AT")}));
        EXPECT_EQ(r.exitCode, 4) << pumping << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QStringLiteral("300 ms"))) << r.err.toStdString();
        const QString nothing = r.out.startsWith(u'{')
                                    ? QStringLiteral("{\"reply\": \"\", \"code\": -1}\n")
                                    : QStringLiteral("reply: \ncode: -1\n");
        EXPECT_EQ(r.out, nothing) << pumping;
    }
    EXPECT_EQ(pty.received(0ms), "AT\rAT\r");
    // A CONNECT is no final result code: what came is printed, and it is still no answer.
    const Ran r = exchange(at({QStringLiteral("--op=atcinterret"), QStringLiteral("--timeout=500"),
                               pty.slavePath(), QStringLiteral("ATD1")}),
                           "\r", "\r\nCONNECT 9600\r\n");
    EXPECT_EQ(r.exitCode, 4) << r.err.toStdString();
    EXPECT_EQ(r.out, "reply: CONNECT 9600\ncode: 1\n");
}

TEST_F(AtCommandLine, AVanishingDeviceIsSaidToHaveGone) {
    start(at(
        {QStringLiteral("--op"), QStringLiteral("atcret"), pty.slavePath(), QStringLiteral("AT")}));
    EXPECT_EQ(receiveUntil("\r"), "AT\r");
    pty.vanish();
    const Ran r = finish();
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("went away"))) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains(QStringLiteral("ioctl"))) << r.err.toStdString();
}

// --- Failures ----------------------------------------------------------------------------

TEST_F(AtCommandLine, MissingPortFailsWithAMessage) {
    const QString absent = state.filePath(QStringLiteral("no-such-tty"));
    Ran r = run(at({absent, QStringLiteral("AT")}));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(absent)) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());

    r = run(at(
        {QStringLiteral("--ports"), state.path(), QStringLiteral("COM4"), QStringLiteral("AT")}));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("COM4"))) << r.err.toStdString();
}

// Whether the command reached the device first is not visible here: closing the port drops
// output the device has not read yet, so the library's own tests check the order.
TEST_F(AtCommandLine, BreakBeyondThirtyTwoSecondsFailsWithOverflow) {
    const Ran r = run(at({pty.slavePath(), QStringLiteral("--op"), QStringLiteral("atcret"),
                          QStringLiteral("--break"), QStringLiteral("33"), QStringLiteral("ATZ")}));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("overflow"))) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("error 6"))) << r.err.toStdString();
}

TEST_F(AtCommandLine, BadCommandLinesAreUsageErrors) {
    const QStringList cases[] = {
        at({}),
        at({pty.slavePath()}),
        at({QStringLiteral("--op"), QStringLiteral("dial"), pty.slavePath(), QStringLiteral("AT")}),
        at({QStringLiteral("--wait"), QStringLiteral("soon"), pty.slavePath(),
            QStringLiteral("AT")}),
        at({QStringLiteral("--wait"), QStringLiteral("-1"), pty.slavePath(), QStringLiteral("AT")}),
        at({QStringLiteral("--timeout"), QStringLiteral("100"), pty.slavePath(),
            QStringLiteral("AT")}),
        at({QStringLiteral("--op=atcret"), QStringLiteral("--timeout=0"), pty.slavePath(),
            QStringLiteral("AT")}),
        at({QStringLiteral("--settings"), QStringLiteral("9600,X,8,1"), pty.slavePath(),
            QStringLiteral("AT")}),
        at({QStringLiteral("COM17"), QStringLiteral("AT")}),
        at({QStringLiteral("--ports"), QStringLiteral("/nonexistent/qelv"), QStringLiteral("COM1"),
            QStringLiteral("AT")}),
        at({QStringLiteral("--op"), QStringLiteral("bufclr"), pty.slavePath(),
            QStringLiteral("AT")}),
        at({pty.slavePath(), QStringLiteral("AT"), QStringLiteral("extra")}),
        at({QStringLiteral("rfc2217://127.0.0.1"), QStringLiteral("AT")}),
        at({QStringLiteral("socket://127.0.0.1:0"), QStringLiteral("AT")}),
        at({QStringLiteral("--port"), QStringLiteral("COM1=rfc2217://:4001"),
            QStringLiteral("COM1"), QStringLiteral("AT")}),
        {QStringLiteral("--read-log")},
    };
    for (const QStringList& args : cases) {
        const Ran r = run(args);
        EXPECT_EQ(r.exitCode, 2) << args.join(u' ').toStdString();
        EXPECT_FALSE(r.err.isEmpty()) << args.join(u' ').toStdString();
    }
    EXPECT_EQ(pty.received(0ms), "");
}

TEST_F(AtCommandLine, ANetworkPortIsNamedByItsUrlOrForAComNumber) {
    qelv::Ser2netProcess server({.device = pty.slavePath().toStdString(), .charDelay = false});
    const QString url = QString::fromStdString(server.url());
    Ran r = exchange(at({url, QStringLiteral("ATI4")}), "ATI4\r\n", "\r\nSIM-5600\r\n\r\nOK\r\n");
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("reply: \\r\\nSIM-5600\\r\\n\\r\\nOK\\r\\n")))
        << r.out.toStdString();
    r = exchange(at({QStringLiteral("--port"), QStringLiteral("COM2=") + url,
                     QStringLiteral("COM2"), QStringLiteral("AT")}),
                 "AT\r\n", "\r\nOK\r\n");
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();

    const QString refused = QStringLiteral("socket://127.0.0.1:%1").arg(closedPort());
    r = run(at({refused, QStringLiteral("AT")}));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("接続を拒否されました"))) << r.err.toStdString();
}

TEST_F(AtCommandLine, HelpDocumentsEveryOperation) {
    const Ran r = run(at({QStringLiteral("--help")}));
    EXPECT_EQ(r.exitCode, 0);
    for (const char* word :
         {"sendmodem", "sendmodem-notcr", "reback", "atcret", "atcinterret", "attrue", "bufclr",
          "--wait", "--timeout", "--expect", "--break", "--no-events", "--log", "--json"})
        EXPECT_TRUE(r.out.contains(QLatin1String(word))) << word;
}

// --- Ending and logging ------------------------------------------------------------------

TEST_F(AtCommandLine, TerminationEndsAnEndlessCollectionAndReleasesThePort) {
    start(at({pty.slavePath(), QStringLiteral("--op"), QStringLiteral("atcret"),
              QStringLiteral("--no-events"), QStringLiteral("AT")}));
    EXPECT_EQ(receiveUntil("\r"), "AT\r");
    pty.send("\r\nstill thinking\r\n");
    program.terminate();
    const Ran ended = finish();
    EXPECT_EQ(ended.exitCode, 128 + 15);

    // The port is free again for the next program.
    const Ran next = exchange(at({pty.slavePath(), QStringLiteral("AT")}), "\n", "OK\r\n");
    EXPECT_EQ(next.exitCode, 0) << next.err.toStdString();
}

TEST_F(AtCommandLine, LoggedReplyReadsBackRecordForRecord) {
    const Ran r = exchange(at({QStringLiteral("--log"), pty.slavePath(), QStringLiteral("ATI")}),
                           "\n", "\r\nX\x7f\r\nOK\r\n");
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QString logFile = QDir(state.path()).filePath(QStringLiteral("qel-v/MDCOM.LOG"));
    EXPECT_TRUE(r.err.contains(logFile)) << r.err.toStdString();

    const Ran read = run({QStringLiteral("--read-log"), logFile});
    EXPECT_EQ(read.exitCode, 0) << read.err.toStdString();
    const QStringList lines = read.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << read.out.toStdString();
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("session 20"))) << lines[0].toStdString();
    EXPECT_EQ(lines[1], "reply 1: \\r\\nX\\x7F\\r\\nOK\\r\\n");
}

TEST_F(AtCommandLine, ReadingAMissingOrCorruptLogFails) {
    const QString missing = state.filePath(QStringLiteral("absent.log"));
    Ran r = run({QStringLiteral("--read-log"), missing});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(missing)) << r.err.toStdString();

    QFile corrupt(state.filePath(QStringLiteral("corrupt.log")));
    ASSERT_TRUE(corrupt.open(QIODevice::WriteOnly));
    corrupt.write(
        "R\x02\x00\x00\x00"
        "A\x00",
        7);  // a reply before any header
    corrupt.close();
    r = run({QStringLiteral("--read-log"), corrupt.fileName()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.contains(QStringLiteral("corrupt"))) << r.err.toStdString();
}

TEST_F(AtCommandLine, ReadingADamagedLogPrintsWhatSurvivedAndWhereItBroke) {
    QFile log(state.filePath(QStringLiteral("cut.log")));
    ASSERT_TRUE(log.open(QIODevice::WriteOnly));
    log.write("H\x08\x00\x00\x00\x1a\x0c\x07\x04\x01\x31\xff\x00", 13);
    log.write(
        "R\x02\x00\x00\x00"
        "A\x00",
        7);
    log.write("R\x04\x00\x00", 4);  // cut off in the middle of a record
    log.close();
    const Ran r = run({QStringLiteral("--read-log"), log.fileName()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "session 2026-12-07 04:01:49\nreply 1: A\n");
    EXPECT_TRUE(r.err.contains(QStringLiteral("offset 20"))) << r.err.toStdString();
}

TEST_F(AtCommandLine, ReadingADeviceOrAPipeIsRefused) {
    const QString fifo = state.filePath(QStringLiteral("pipe.log"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString& path : {QStringLiteral("/dev/zero"), fifo, state.path()}) {
        const Ran r = run({QStringLiteral("--read-log"), path});
        EXPECT_EQ(r.exitCode, 1) << path.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_TRUE(r.err.contains(QStringLiteral("not a regular file"))) << r.err.toStdString();
    }
}

}  // namespace
