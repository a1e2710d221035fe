// The program as a whole, run as a process against the modem simulator: how it ends,
// what it leaves behind, and what reaches the terminal.

#include "modemsim/simulatorprocess.h"
#include "portguard.h"
#include "qtserialport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <csignal>

using namespace qelv;

namespace {

QProcess* startQelv(const QStringList& args, QObject* parent = nullptr) {
    auto* process = new QProcess(parent);
    // A table this wide shows every device text whole.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("COLUMNS"), QStringLiteral("1000"));
    process->setProcessEnvironment(env);
    process->setProgram(QStringLiteral(QELV_BINARY_PATH));
    process->setArguments(args);
    process->start();
    EXPECT_TRUE(process->waitForStarted(5000));
    return process;
}

// Waits (bounded) until the device has received `text`.
bool waitForReceived(const SimulatorProcess& sim, int n, const std::string& text) {
    for (int i = 0; i < 100; ++i) {
        if (sim.received(n).find(text) != std::string::npos) return true;
        QThread::msleep(30);
    }
    return false;
}

termios lineOf(const std::string& path) {
    termios t{};
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ::tcgetattr(fd, &t);
    ::close(fd);
    return t;
}

class EndedBySignal : public ::testing::TestWithParam<int> {};

TEST_P(EndedBySignal, InTheMiddleOfAnExchangeLeavesNothingBehind) {
    QTemporaryDir dir;
    SimulatorProcess sim(QELV_MODEMSIM_PATH, dir.path().toStdString(), {"silent@1"});
    const std::string device = sim.devicePath(1);
    const termios before = lineOf(device);
    std::unique_ptr<QProcess> qelv(startQelv({"--json", "--ports", dir.path()}));
    ASSERT_TRUE(waitForReceived(sim, 1, "ATE0Q0V1\r\n"));
    ::kill(static_cast<pid_t>(qelv->processId()), GetParam());
    ASSERT_TRUE(qelv->waitForFinished(3000));
    EXPECT_EQ(qelv->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(qelv->exitCode(), 128 + GetParam());
    // Ctrl-C prints what was found so far (see below); the others end quietly.
    if (GetParam() != SIGINT) {
        EXPECT_TRUE(qelv->readAllStandardOutput().isEmpty());
    }

    EXPECT_TRUE(lockFileHolder(QString::fromStdString(device)).isEmpty());
    const termios after = lineOf(device);
    EXPECT_EQ(before.c_cflag, after.c_cflag);
    EXPECT_EQ(before.c_lflag, after.c_lflag);
    EXPECT_EQ(cfgetispeed(&before), cfgetispeed(&after));
    QtSerialPort again(PortMap::fromDirectory(dir.path()));
    again.setCommPort(1);
    again.setPortOpen(true);  // at once: no lock, no flock, no exclusive mode left
    EXPECT_TRUE(again.portOpen());
}

INSTANTIATE_TEST_SUITE_P(Signals, EndedBySignal, ::testing::Values(SIGTERM, SIGINT, SIGHUP));

QString qtLockFileOf(const std::string& device) {
    return QStringLiteral("/run/lock/LCK..pts_") +
           QFileInfo(QString::fromStdString(device)).fileName();
}

bool exclusiveModeOn(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);  // root opens anyway
    int exclusive = 0;
    ::ioctl(fd, TIOCGEXCL, &exclusive);
    ::close(fd);
    return exclusive != 0;
}

// SIGKILL cannot be caught: the lock file stays. The next run knows it for its own, clears it
// with a note, and surveys the port as if nothing had happened.
TEST(KilledSurvey, TheNextRunClearsWhatItLeftAndSaysSo) {
    if (!QDir(QStringLiteral("/run/lock")).exists()) GTEST_SKIP() << "no /run/lock";
    QTemporaryDir dir;
    SimulatorProcess sim(QELV_MODEMSIM_PATH, dir.path().toStdString(), {"silent@1"});
    const std::string device = sim.devicePath(1);
    const QString lock = qtLockFileOf(device);
    std::unique_ptr<QProcess> killed(startQelv({"--json", "--ports", dir.path()}));
    ASSERT_TRUE(waitForReceived(sim, 1, "ATE0Q0V1\r\n"));
    const qint64 pid = killed->processId();
    ::kill(static_cast<pid_t>(pid), SIGKILL);
    ASSERT_TRUE(killed->waitForFinished(3000));

    QFile left(lock);
    ASSERT_TRUE(left.open(QIODevice::ReadOnly));
    EXPECT_EQ(left.readAll().split('\n').mid(0, 2),
              (QList<QByteArray>{QByteArray::number(pid), "qel-v"}));
    EXPECT_FALSE(exclusiveModeOn(device));  // a pseudo-terminal is never left exclusive

    std::unique_ptr<QProcess> next(startQelv({"--json", "--ports", dir.path()}));
    ASSERT_TRUE(next->waitForFinished(30000));
    EXPECT_EQ(next->exitCode(), 0);
    const QString err = QString::fromUtf8(next->readAllStandardError());
    EXPECT_TRUE(err.contains(QStringLiteral("強制終了された qel-v (PID %1) が残したロックファイル "
                                            "%2 を片付けました")
                                 .arg(pid)
                                 .arg(lock)))
        << err.toStdString();
    const QJsonArray rows =
        QJsonDocument::fromJson(next->readAllStandardOutput()).object()["rows"].toArray();
    EXPECT_EQ(rows[0].toObject()["open"].toObject()["mark"].toString(), "pass");
    EXPECT_FALSE(QFile::exists(lock));
}

// What another program left is never cleared, and the port it claims stays shut: a UUCP lock
// file whose process is gone, and one of Qt's that names another program.
TEST(KilledSurvey, AnotherProgramsLockFileIsLeftAlone) {
    if (!QDir(QStringLiteral("/run/lock")).exists()) GTEST_SKIP() << "no /run/lock";
    const pid_t gone = [] {
        const pid_t pid = ::fork();
        if (pid == 0) ::_exit(0);
        ::waitpid(pid, nullptr, 0);
        return pid;
    }();
    const QByteArray contents[] = {
        QByteArray::number(gone).rightJustified(10) + '\n',
        QByteArray::number(gone) + "\nminicom\n" + QSysInfo::machineHostName().toUtf8() + '\n'};
    for (const QByteArray& content : contents) {
        QTemporaryDir dir;
        SimulatorProcess sim(QELV_MODEMSIM_PATH, dir.path().toStdString(), {"hayes@1"});
        const QString lock = qtLockFileOf(sim.devicePath(1));
        {
            QFile file(lock);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        std::unique_ptr<QProcess> qelv(startQelv({"--json", "--ports", dir.path()}));
        ASSERT_TRUE(qelv->waitForFinished(30000));
        const QJsonObject open = QJsonDocument::fromJson(qelv->readAllStandardOutput())
                                     .object()["rows"]
                                     .toArray()[0]
                                     .toObject()["open"]
                                     .toObject();
        EXPECT_EQ(open["mark"].toString(), "fail") << content.toStdString();
        EXPECT_TRUE(open["error"].toString().contains(lock))
            << open["error"].toString().toStdString();
        QFile file(lock);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << content.toStdString();
        EXPECT_EQ(file.readAll(), content);
        EXPECT_TRUE(sim.received(1).empty());
        file.remove();
    }
}

// Ctrl-C in the middle of a headless survey: the grid as far as it got, then 130.
struct Interrupted {
    QByteArray out;
    std::string com1;  // the device behind COM1
};

// COM1 has answered the AT check; COM2 is silent, so the survey is waiting there.
Interrupted interruptedSurvey(const char* mode) {
    QTemporaryDir dir;
    SimulatorProcess sim(QELV_MODEMSIM_PATH, dir.path().toStdString(), {"hayes@1", "silent@2"});
    std::unique_ptr<QProcess> qelv(startQelv({mode, "--ports", dir.path()}));
    EXPECT_TRUE(waitForReceived(sim, 2, "ATE0Q0V1\r\n"));
    ::kill(static_cast<pid_t>(qelv->processId()), SIGINT);
    EXPECT_TRUE(qelv->waitForFinished(3000));
    EXPECT_EQ(qelv->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(qelv->exitCode(), 130);
    return {qelv->readAllStandardOutput(), sim.devicePath(1)};
}

TEST(InterruptedSurvey, JsonIsValidAndSaysItIsIncomplete) {
    const Interrupted run = interruptedSurvey("--json");
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(run.out, &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << run.out.toStdString();
    ASSERT_TRUE(doc.object()["complete"].isBool());
    EXPECT_FALSE(doc.object()["complete"].toBool());
    const QJsonArray rows = doc.object()["rows"].toArray();
    ASSERT_EQ(rows.size(), 16);
    EXPECT_EQ(rows[0].toObject()["at"].toObject()["mark"].toString(), "pass");  // kept
    EXPECT_TRUE(rows[1].toObject()["at"].toObject()["mark"].isNull());          // cut short
    EXPECT_TRUE(rows[0].toObject()["info"].toObject()["mark"].isNull());        // not reached
}

TEST(InterruptedSurvey, TextShowsTheGridSoFarAndSaysSo) {
    const Interrupted run = interruptedSurvey("--text");
    const QString out = QString::fromUtf8(run.out);
    EXPECT_TRUE(out.contains(QString::fromStdString(run.com1))) << out.toStdString();
    EXPECT_TRUE(out.contains("ATE0Q0V1\\r\\r\\nOK\\r\\n"));
    EXPECT_TRUE(out.endsWith("検査は中断されました。ここまでの結果です。\n"));
}

// Two instances at the same moment: each sees the port the other holds as busy, neither
// breaks, and no device ever receives a command cut into another.
TEST(TwoInstances, SurveyingAtOnceBothFinishAndCommandsStayWhole) {
    QTemporaryDir dir;
    SimulatorProcess sim(QELV_MODEMSIM_PATH, dir.path().toStdString(),
                         {"hayes@1", "hayes@2", "silent@3"});
    std::unique_ptr<QProcess> first(startQelv({"--json", "--ports", dir.path()}));
    std::unique_ptr<QProcess> second(startQelv({"--json", "--ports", dir.path()}));
    int opened[2] = {0, 0};
    for (QProcess* p : {first.get(), second.get()}) {
        ASSERT_TRUE(p->waitForFinished(60000));
        EXPECT_EQ(p->exitCode(), 0);
        const QJsonArray rows =
            QJsonDocument::fromJson(p->readAllStandardOutput()).object()["rows"].toArray();
        ASSERT_EQ(rows.size(), 16);
        for (int n : {0, 1})
            if (rows[n].toObject()["open"].toObject()["mark"].toString() == "pass") ++opened[n];
    }
    // Which of the two reads a modem in the later passes depends on how their waits interleave;
    // what cannot happen is that both find a modem held by the other at the same moment.
    EXPECT_GE(opened[0], 1);
    EXPECT_GE(opened[1], 1);
    const QRegularExpression whole(QStringLiteral("^((ATE0Q0V1|ATI4I2I0)\\r\\n)*$"));
    for (int n : {1, 2, 3})
        EXPECT_TRUE(whole.match(QString::fromStdString(sim.received(n))).hasMatch())
            << sim.received(n);
}

// No byte of the output is a control character (C0 but the line ends, DEL) and no C1
// character (U+0080..U+009F) is encoded in it, whatever the device sent.
void expectNoRawControl(const QByteArray& out) {
    for (qsizetype i = 0; i < out.size(); ++i) {
        const auto u = static_cast<unsigned char>(out[i]);
        EXPECT_TRUE(u == '\n' || u >= 0x20) << int(u);
        EXPECT_NE(u, 0x7F);
        const bool c1 = u == 0xC2 && i + 1 < out.size() &&
                        static_cast<unsigned char>(out[i + 1]) >= 0x80 &&
                        static_cast<unsigned char>(out[i + 1]) <= 0x9F;
        EXPECT_FALSE(c1) << "C1 at byte " << i;
    }
}

TEST(TextOutput, NoEscapeSequenceOrControlCharacterReachesTheTerminal) {
    QTemporaryDir dir;
    SimulatorProcess sim(QELV_MODEMSIM_PATH, dir.path().toStdString(), {"noisy@1"});
    std::unique_ptr<QProcess> qelv(startQelv({"--text", "--ports", dir.path()}));
    ASSERT_TRUE(qelv->waitForFinished(30000));
    const QByteArray out = qelv->readAllStandardOutput();
    EXPECT_TRUE(out.contains("\\x1B[2J"));
    EXPECT_TRUE(out.contains("\\x7F\\x80\\x85\\x9B\\x9D"));
    expectNoRawControl(out);
}

TEST(JsonOutput, BytesAboveAsciiArriveOneToOne) {
    QTemporaryDir dir;
    SimulatorProcess sim(QELV_MODEMSIM_PATH, dir.path().toStdString(), {"noisy@1"});
    std::unique_ptr<QProcess> qelv(startQelv({"--json", "--ports", dir.path()}));
    ASSERT_TRUE(qelv->waitForFinished(30000));
    const QByteArray out = qelv->readAllStandardOutput();
    expectNoRawControl(out);
    const QJsonObject survey = QJsonDocument::fromJson(out).object();
    ASSERT_TRUE(survey["complete"].isBool());
    EXPECT_TRUE(survey["complete"].toBool());  // a whole survey
    const QJsonObject com1 = survey["rows"].toArray()[0].toObject();
    const QString at = com1["at"].toObject()["text"].toString();
    EXPECT_TRUE(at.contains(QString(QChar(0x7F)) + QChar(0x80) + QChar(0x85) + QChar(0x9B)));
    ASSERT_TRUE(at.endsWith("\r\nOK\r\n"));
    EXPECT_TRUE(at.contains(QChar(0)));
    EXPECT_TRUE(at.contains(QString(QChar(0xFE)) + QChar(0xFF)));
    EXPECT_TRUE(at.contains("<b>&amp;</b>"));
    EXPECT_EQ(com1["device"].toString().toStdString(), sim.devicePath(1));
}

}  // namespace

namespace {

// A DISPLAY left over from an SSH session or a stopped X server: the toolkit would abort.
TEST(UnreachableDisplay, EndsWithTheNoDisplayMessageAndStatusOne) {
    int display = 90;
    while (display < 200 && QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(display)))
        ++display;
    QProcess qelv;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.insert(QStringLiteral("DISPLAY"), QStringLiteral(":%1").arg(display));
    QTemporaryDir noPorts;
    env.insert(QStringLiteral("QELV_PORTS"), noPorts.path());
    qelv.setProcessEnvironment(env);
    qelv.start(QStringLiteral(QELV_BINARY_PATH), {});
    ASSERT_TRUE(qelv.waitForFinished(20'000));
    EXPECT_EQ(qelv.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(qelv.exitCode(), 1);
    const QString err = QString::fromUtf8(qelv.readAllStandardError());
    EXPECT_TRUE(err.contains(QStringLiteral("there is no display"))) << err.toStdString();
}

}  // namespace

namespace {

// Without its wake-up pipe a signal could not end a survey promptly; the program must say so
// and stop instead of running on deaf.
TEST(SignalWatch, APipeThatCannotBeMadeEndsTheStartWithAMessage) {
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "the sanitizer's runtime needs descriptors of its own";
#endif
    QTemporaryDir noPorts;
    QProcess qelv;
    qelv.setChildProcessModifier([] {
        // Room for the three standard streams, the loader's own needs and little else.
        const rlimit few{5, 5};
        ::setrlimit(RLIMIT_NOFILE, &few);
    });
    qelv.start(QStringLiteral(QELV_BINARY_PATH),
               {QStringLiteral("--text"), QStringLiteral("--ports"), noPorts.path()});
    ASSERT_TRUE(qelv.waitForFinished(20'000));
    const QString err = QString::fromUtf8(qelv.readAllStandardError());
    EXPECT_EQ(qelv.exitCode(), 1) << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("signal wake-up pipe"))) << err.toStdString();
    EXPECT_TRUE(qelv.readAllStandardOutput().isEmpty());
}

}  // namespace
