#include "qtserialport.h"
#include "outputdrain.h"
#include "portguard.h"
#include "pty.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <csignal>

using namespace qelv;
using namespace qelv::test;

namespace {

OpenFailure openFailure(QtSerialPort& port) {
    try {
        port.setPortOpen(true);
    } catch (const ModemError& error) {
        EXPECT_EQ(error.number(), errc::kPortOpenFailed);
        EXPECT_FALSE(error.message().isEmpty());
        return error.openFailure();
    }
    return OpenFailure::None;
}

QString readAll(QtSerialPort& port, int atLeast) {
    QString text;
    for (int i = 0; i < 200 && text.size() < atLeast; ++i) {
        QCoreApplication::processEvents();
        port.waitForInput(10);
        text += port.Input();
    }
    return text;
}

struct SerialOnPty : ::testing::Test {
    Pty device;
    PortsDir ports;
    QtSerialPort port{PortMap::fromDirectory(ports.path())};
    void SetUp() override {
        ports.link(1, device.slavePath());
        port.setCommPort(1);
    }
};

TEST_F(SerialOnPty, OpensAndCarriesBytesBothWaysOneToOne) {
    port.setSettings("9600,N,8,1");
    port.setDTREnable(true);  // a pseudo-terminal has no modem lines: not an error
    port.setRTSEnable(true);
    port.setHandshaking(0);
    port.setPortOpen(true);
    ASSERT_TRUE(port.portOpen());
    port.Output(QStringLiteral("AT\r\n"));
    EXPECT_EQ(device.received(std::chrono::milliseconds(1000)), "AT\r\n");
    // Out, too, each character up to 255 is one byte; anything above goes as '?'.
    port.Output(QString(QChar(0x00)) + QChar(0x80) + QChar(0xE9) + QChar(0xFF) + QChar(0x30AB));
    EXPECT_EQ(device.received(std::chrono::milliseconds(1000)), QByteArray("\x00\x80\xe9\xff?", 5));
    device.send(QByteArray("\r\nOK\x00\xff\x1b[2J", 11));
    const QString got = readAll(port, 11);
    ASSERT_EQ(got.size(), 11);
    EXPECT_EQ(got.at(4).unicode(), 0);
    EXPECT_EQ(got.at(5).unicode(), 0xFF);
    EXPECT_EQ(port.InBufferCount(), 0);
    port.setPortOpen(false);
    EXPECT_FALSE(port.portOpen());
    port.setPortOpen(false);  // closing a closed port does nothing
}

// A pseudo-terminal keeps what its device sent while nobody had it open; a serial line does
// not. Either way an open starts with nothing waiting, so an old reply is never taken for
// the answer to the next command.
TEST_F(SerialOnPty, OpenDropsWhatArrivedBeforeIt) {
    device.send("\r\nOK\r\nstale");
    int waiting = 0;
    for (int i = 0; i < 200 && waiting < 11; ++i) {
        ::ioctl(device.slaveFd(), FIONREAD, &waiting);
        if (waiting < 11) QThread::msleep(5);
    }
    ASSERT_EQ(waiting, 11) << "the bytes did not reach the line before the open";
    port.setPortOpen(true);
    EXPECT_EQ(port.InBufferCount(), 0);
    EXPECT_EQ(port.Input(), "");
    device.send("fresh");
    EXPECT_EQ(readAll(port, 5), "fresh");
}

TEST_F(SerialOnPty, InputLenLimitsEachReadAndZeroTakesEverything) {
    port.setPortOpen(true);
    device.send("abcdefgh");
    for (int i = 0; i < 200 && port.InBufferCount() < 8; ++i) port.waitForInput(10);
    ASSERT_EQ(port.InBufferCount(), 8);
    port.setInputLen(3);
    EXPECT_EQ(port.Input(), "abc");
    EXPECT_EQ(port.Input(), "def");
    EXPECT_EQ(port.InBufferCount(), 2);
    port.setInputLen(0);
    EXPECT_EQ(port.Input(), "gh");
    EXPECT_THROW(port.setInputLen(-1), ModemError);
}

// What the line is set to, as the terminal driver sees it from the device's side. A
// pseudo-terminal forces 8 data bits without parity whatever is asked, so only speed, stop
// bits, flow control and which parity (odd or even) can be seen across it.
TEST_F(SerialOnPty, LineSettingsReachTheTerminalDriver) {
    struct Row {
        const char* settings;
        int handshaking;
        speed_t speed;
        bool twoStops;
        bool rtsCts;
        int odd;  // -1: no parity, nothing to see
    };
    const Row rows[] = {
        {"9600,N,8,1", 0, B9600, false, false, -1}, {"19200,E,7,2", 2, B19200, true, true, 0},
        {"2400,O,8,1", 3, B2400, false, true, 1},   {"115200,n,8,2", 1, B115200, true, false, -1},
        {"4800,o,7,1", 0, B4800, false, false, 1},
    };
    for (const Row& row : rows) {
        port.setSettings(row.settings);
        port.setHandshaking(row.handshaking);
        port.setPortOpen(true);
        termios line{};
        ASSERT_EQ(::tcgetattr(device.slaveFd(), &line), 0);
        EXPECT_EQ(cfgetospeed(&line), row.speed) << row.settings;
        EXPECT_EQ(cfgetispeed(&line), row.speed) << row.settings;
        EXPECT_EQ((line.c_cflag & CSTOPB) != 0, row.twoStops) << row.settings;
        EXPECT_EQ((line.c_cflag & CRTSCTS) != 0, row.rtsCts) << row.settings;
        if (row.odd >= 0) {
            EXPECT_EQ((line.c_cflag & PARODD) != 0, row.odd == 1) << row.settings;
        }
        port.setPortOpen(false);
    }
}

TEST_F(SerialOnPty, ClosedPortRefusesIoAndConfigurationRules) {
    EXPECT_THROW(port.Output("AT"), ModemError);
    EXPECT_THROW(port.Input(), ModemError);
    EXPECT_THROW(port.InBufferCount(), ModemError);
    for (const char* bad :
         {"9600,N,8", "9600,X,8,1", "fast,N,8,1", "9600,N,9,1", "9600,N,8,3", "", "9600,N,8,1,1"})
        EXPECT_THROW(port.setSettings(bad), ModemError) << bad;
    EXPECT_EQ(port.settings(), "9600,N,8,1");
    port.setPortOpen(true);
    EXPECT_THROW(port.setCommPort(2), ModemError);
    EXPECT_THROW(port.setPortOpen(true), ModemError);
}

TEST_F(SerialOnPty, CloseRestoresTheLineAndLeavesNoLockBehind) {
    termios before{};
    ::tcgetattr(device.slaveFd(), &before);
    port.setPortOpen(true);
    port.setPortOpen(false);
    termios after{};
    ::tcgetattr(device.slaveFd(), &after);
    EXPECT_EQ(cfgetospeed(&before), cfgetospeed(&after));
    EXPECT_EQ(before.c_lflag, after.c_lflag);
    EXPECT_EQ(before.c_cflag, after.c_cflag);
    EXPECT_TRUE(lockFileHolder(device.slavePath()).isEmpty());
    const int fd = ::open(device.slavePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    EXPECT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    ::close(fd);
}

// What was sent before a close reaches the device; a device that takes nothing does not
// keep the close waiting past the time its output would need on the line.
TEST_F(SerialOnPty, CloseLetsPendingOutputReachTheLine) {
    for (int i = 0; i < 50; ++i) {
        port.setPortOpen(true);
        const QByteArray command = QByteArray("ATS") + QByteArray::number(i) + '\r';
        port.Output(QString::fromLatin1(command));
        port.setPortOpen(false);
        ASSERT_EQ(device.received(std::chrono::milliseconds(1000)), command) << "run " << i;
    }
}

TEST_F(SerialOnPty, CloseOfADeviceThatTakesNothingEndsWithinTheLineTime) {
    port.setSettings("921600,N,8,1");
    port.setPortOpen(true);
    // More than a pseudo-terminal holds while nobody reads its other side.
    const QString flood(128 * 1024, u'x');
    port.Output(flood);
    const auto started = std::chrono::steady_clock::now();
    port.setPortOpen(false);
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_FALSE(port.portOpen());
    // All of it takes 1.4 s at this speed; the rest is a generous margin. A close that
    // waits for the device, or for the kernel's own closing wait, takes forever here.
    EXPECT_LT(took, std::chrono::seconds(5));
    qsizetype arrived = 0;
    for (QByteArray got; !(got = device.received(std::chrono::milliseconds(200))).isEmpty();)
        arrived += got.size();
    EXPECT_LT(arrived, flood.size());  // the rest was dropped, not left for later
}

// How long a close may wait for its output: the bytes' time on the line at ten bits a byte
// (start, eight data, stop), plus the margin. Nothing on a pseudo-terminal takes that long.
TEST(DrainBound, TenBitsAByteAtTheLineSpeedPlusTheMargin) {
    struct Row {
        qint64 bytes;
        int baud;
        std::int64_t ms;
    };
    const Row rows[] = {{0, 9600, 150},     {960, 9600, 1150},   {11520, 115200, 1150},
                        {96, 0, 100 + 150}, {96, -5, 100 + 150}, {1'000'000, 921600, 10850 + 150}};
    for (const Row& row : rows)
        EXPECT_EQ(drainBound(row.bytes, row.baud).count(), row.ms) << row.bytes << " " << row.baud;
}

TEST(SerialOpen, EntriesThatAreNotOpenablePortsSayWhy) {
    PortsDir ports;
    QTemporaryDir dir;
    ports.link(1, "/dev/null");
    ports.link(2, dir.path());
    ports.link(3, "/nonexistent/qelv-device");
    QtSerialPort port(PortMap::fromDirectory(ports.path()));
    const std::pair<int, OpenFailure> rows[] = {{1, OpenFailure::NotSerial},
                                                {2, OpenFailure::NotSerial},
                                                {3, OpenFailure::Absent},
                                                {4, OpenFailure::Absent}};  // no entry at all
    for (const auto& [n, failure] : rows) {
        port.setCommPort(static_cast<std::int16_t>(n));
        EXPECT_EQ(openFailure(port), failure) << n;
        EXPECT_FALSE(port.portOpen());
    }
}

// Another program holding the device, each way programs announce it; the device must not
// receive a single byte from us.
struct HeldPort : SerialOnPty {
    pid_t holder = -1;
    void holdInChild(int how) {
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        holder = ::fork();
        if (holder == 0) {
            // 2: only a live process, which must not hold the device, for a lock file to name.
            const int fd =
                how == 2 ? -1
                         : ::open(device.slavePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
            if (how == 0) ::flock(fd, LOCK_EX);
            if (how == 1) ::ioctl(fd, TIOCEXCL);
            [[maybe_unused]] auto w = ::write(ready[1], "x", 1);
            ::pause();
            ::_exit(0);
        }
        char c;
        [[maybe_unused]] auto r = ::read(ready[0], &c, 1);
        ::close(ready[0]);
        ::close(ready[1]);
    }
    void TearDown() override {
        if (holder > 0) {
            ::kill(holder, SIGKILL);
            ::waitpid(holder, nullptr, 0);
        }
    }
};

TEST_F(HeldPort, FlockByAnotherProgram) {
    holdInChild(0);
    EXPECT_EQ(openFailure(port), OpenFailure::Busy);
    EXPECT_TRUE(device.received(std::chrono::milliseconds(50)).isEmpty());
}

TEST_F(HeldPort, ExclusiveModeByAnotherProgram) {
    holdInChild(1);
    EXPECT_EQ(openFailure(port), OpenFailure::Busy);
    EXPECT_TRUE(device.received(std::chrono::milliseconds(50)).isEmpty());
}

// A UUCP lock file keeps the port shut while its process lives, and after it too: it is
// another program's, and only its owner (or the user, told so) may remove it.
TEST_F(HeldPort, UucpLockFileOfALiveProcessAndOfAGoneOne) {
    holdInChild(2);  // a live process for the lock file to name
    const QString lockPath =
        QStringLiteral("/run/lock/LCK..pts_") + QFileInfo(device.slavePath()).fileName();
    if (!QDir(QStringLiteral("/run/lock")).exists()) GTEST_SKIP() << "no /run/lock";
    const QByteArray content = QStringLiteral("%1\n").arg(holder, 10).toLatin1();
    {
        QFile lock(lockPath);
        ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
        lock.write(content);
    }
    EXPECT_EQ(openFailure(port), OpenFailure::Busy);
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    holder = -1;
    EXPECT_EQ(openFailure(port), OpenFailure::Busy);  // gone, and still not ours to remove
    EXPECT_TRUE(device.received(std::chrono::milliseconds(50)).isEmpty());
    QFile lock(lockPath);
    ASSERT_TRUE(lock.open(QIODevice::ReadOnly));
    EXPECT_EQ(lock.readAll(), content);
    lock.remove();
    port.setPortOpen(true);
    EXPECT_TRUE(port.portOpen());
    port.setPortOpen(false);
}

// A real terminal program: picocom takes an flock on the port it uses. It needs a terminal
// of its own, which script(1) gives it.
TEST_F(SerialOnPty, PortHeldByPicocomIsLeftAloneAndItsHolderNamed) {
    if (QStandardPaths::findExecutable("picocom").isEmpty() ||
        QStandardPaths::findExecutable("script").isEmpty())
        GTEST_SKIP() << "picocom or script is not installed";
    QProcess picocom;
    picocom.start("script", {"-qfc", "picocom -q -b 9600 " + device.slavePath(), "/dev/null"});
    ASSERT_TRUE(picocom.waitForStarted(5000));
    bool held = false;
    for (int i = 0; i < 100 && !held; ++i) {
        QThread::msleep(20);
        held = !flockHolders(device.slavePath()).isEmpty();
    }
    ASSERT_TRUE(held) << "picocom did not take the port";
    try {
        port.setPortOpen(true);
        ADD_FAILURE() << "opened a port picocom holds";
    } catch (const ModemError& error) {
        EXPECT_EQ(error.openFailure(), OpenFailure::Busy);
        EXPECT_TRUE(error.message().contains("picocom")) << error.message().toStdString();
    }
    EXPECT_TRUE(device.received(std::chrono::milliseconds(50)).isEmpty());
    picocom.terminate();  // script hangs up picocom's terminal, which ends it
    if (!picocom.waitForFinished(3000)) picocom.kill();
}

TEST_F(SerialOnPty, WhileWeHoldThePortOthersSeeItHeld) {
    port.setPortOpen(true);
    const int fd = ::open(device.slavePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    EXPECT_NE(::flock(fd, LOCK_EX | LOCK_NB), 0);
    // Not exclusive mode on a pseudo-terminal: the device's side would keep it after a SIGKILL,
    // where only root could clear it.
    int exclusive = 1;
    ::ioctl(fd, TIOCGEXCL, &exclusive);
    EXPECT_FALSE(exclusive);
    ::close(fd);
    // A lock file of ours, where the lock folder lets one be made, names nobody else.
    EXPECT_EQ(lockFileHolder(device.slavePath()), QString());
    QtSerialPort second(PortMap::fromDirectory(ports.path()));
    EXPECT_EQ(openFailure(second), OpenFailure::Busy);
}

TEST_F(SerialOnPty, VanishedDeviceFailsTheReadAsAPortError) {
    port.setPortOpen(true);
    device.vanish();
    bool failed = false;
    for (int i = 0; i < 50 && !failed; ++i) {
        try {
            QCoreApplication::processEvents();
            port.waitForInput(10);
            port.Input();
        } catch (const ModemError& error) {
            failed = error.number() == errc::kPortIoFailed;
        }
    }
    EXPECT_TRUE(failed);
    port.setPortOpen(false);
}

}  // namespace
