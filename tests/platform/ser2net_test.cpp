// Network ports against Debian's ser2net, serving pseudo-terminals the tests play the device
// of, on 127.0.0.1 at ports the kernel picks.

#include "modemerror.h"
#include "pty.h"
#include "qtserialport.h"
#include "ser2net/ser2netprocess.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTcpSocket>

#include <termios.h>

#include <thread>

using namespace qelv;
using namespace qelv::test;
using namespace std::chrono_literals;

namespace {

// A device and ser2net serving it; the server goes first, the device after.
struct Served {
    explicit Served(bool rfc2217, const char* settings = "115200n81")
        : server({.device = device.slavePath().toStdString(),
                  .rfc2217 = rfc2217,
                  .lineSettings = settings,
                  .charDelay = false}) {}
    QString url() const { return QString::fromStdString(server.url()); }

    Pty device;
    Ser2netProcess server;
};

QByteArray allByteValues() {
    QByteArray all;
    for (int v = 0; v < 256; ++v) all += static_cast<char>(v);
    return all;
}

std::unique_ptr<QtSerialPort> openedPort(const QString& url, const char* settings = "9600,N,8,1") {
    auto port = std::make_unique<QtSerialPort>(PortMap::single(url));
    port->setCommPort(1);
    port->setSettings(QString::fromLatin1(settings));
    port->setDTREnable(true);
    port->setRTSEnable(true);
    port->setPortOpen(true);
    return port;
}

void expectEveryByteBothWays(bool rfc2217) {
    Served served(rfc2217);
    const auto port = openedPort(served.url());
    port->Output(QString::fromLatin1(allByteValues()));
    QByteArray atDevice;
    QElapsedTimer clock;
    clock.start();
    while (atDevice.size() < 256 && clock.elapsed() < 3000)
        atDevice += served.device.received(100ms);
    EXPECT_EQ(atDevice.toHex(), allByteValues().toHex());

    served.device.send(allByteValues());
    QString atProgram;
    clock.restart();
    while (atProgram.size() < 256 && clock.elapsed() < 3000)
        if (port->waitForInput(100)) atProgram += port->Input();
    EXPECT_EQ(atProgram.toLatin1().toHex(), allByteValues().toHex());
    port->setPortOpen(false);
}

TEST(Ser2net, EveryByteValuePassesBothWaysOverRfc2217) {
    expectEveryByteBothWays(true);
}

TEST(Ser2net, EveryByteValuePassesBothWaysOverAPlainSocket) {
    expectEveryByteBothWays(false);
}

// The device's line as its own side sees it, once it is `speed`, within a second.
termios lineOnceAt(int fd, speed_t speed) {
    termios line{};
    QElapsedTimer clock;
    clock.start();
    do {
        ::tcgetattr(fd, &line);
        if (::cfgetospeed(&line) == speed) break;
        std::this_thread::sleep_for(10ms);
    } while (clock.elapsed() < 1000);
    return line;
}

TEST(Ser2net, TheDeviceSeesTheLineSettingsTheProgramSetNotTheServersOwn) {
    Served served(true, "115200n81");
    auto port = openedPort(served.url());
    termios line = lineOnceAt(served.device.slaveFd(), B9600);
    EXPECT_EQ(::cfgetospeed(&line), B9600);
    EXPECT_EQ(line.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_FALSE(line.c_cflag & PARENB);
    EXPECT_FALSE(line.c_cflag & CSTOPB);
    port->setPortOpen(false);

    // Linux keeps a pseudo-terminal at 8 data bits without parity whatever it is told; its
    // speed and stop bits show what arrived.
    port = openedPort(served.url(), "19200,E,7,2");
    line = lineOnceAt(served.device.slaveFd(), B19200);
    EXPECT_EQ(::cfgetospeed(&line), B19200);
    EXPECT_TRUE(line.c_cflag & CSTOPB);
}

TEST(Ser2net, APlainSocketLeavesTheLineToTheServer) {
    Served served(false, "115200n81");
    const auto port = openedPort(served.url());
    port->Output(QStringLiteral("AT\r\n"));
    EXPECT_FALSE(served.device.received(2000ms).isEmpty());  // the server has the device open
    termios line{};
    ::tcgetattr(served.device.slaveFd(), &line);
    EXPECT_EQ(::cfgetospeed(&line), B115200);
}

TEST(Ser2net, AServerBusyWithAnotherClientIsInUseNamingTheServer) {
    Served served(true);
    QTcpSocket other;
    other.connectToHost(QStringLiteral("127.0.0.1"), served.server.port());
    ASSERT_TRUE(other.waitForConnected(2000));
    ASSERT_TRUE(other.waitForReadyRead(2000));  // the server has taken it on
    QtSerialPort port(PortMap::single(served.url()));
    port.setCommPort(1);
    QElapsedTimer clock;
    clock.start();
    try {
        port.setPortOpen(true);
        FAIL() << "opened a port another client has";
    } catch (const ModemError& error) {
        EXPECT_EQ(error.openFailure(), OpenFailure::Busy);
        EXPECT_TRUE(error.message().contains(QStringLiteral("使用中です")));
        EXPECT_TRUE(
            error.message().contains(QStringLiteral("127.0.0.1:%1").arg(served.server.port())))
            << error.message().toStdString();
    }
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_FALSE(port.portOpen());
}

}  // namespace
