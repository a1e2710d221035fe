#include "networktransport.h"
#include "mdcomm.h"
#include "modemerror.h"
#include "qteventpump.h"
#include "qtserialport.h"
#include "shutdown.h"
#include "tcpconnect.h"
#include "tcppeer.h"
#include "tickclock.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <netdb.h>
#include <cerrno>

#include <thread>

using namespace qelv;
using namespace qelv::test;
using namespace std::chrono_literals;

namespace {

const QByteArray kDoComPort("\xff\xfd\x2c", 3);
const QByteArray kCommandStart("\xff\xfa\x2c", 3);

// The answers of a server that took 9600,N,8,1 without flow control, and the purge.
QByteArray settingsAnswers() {
    QByteArray out;
    for (const QByteArray& answer :
         {QByteArray("\x65\x00\x00\x25\x80", 5), QByteArray("\x66\x08", 2),
          QByteArray("\x67\x01", 2), QByteArray("\x68\x01", 2), QByteArray("\x69\x01", 2),
          QByteArray("\x70\x01", 2)})
        out += kCommandStart + answer + QByteArray("\xff\xf0", 2);
    return out;
}

// A server that speaks RFC 2217: it asks for the option, waits for the purge and the five
// settings, answers them, then plays `then`.
TcpPeer::Play rfc2217Server(std::function<void(int)> then, QByteArray before = {}) {
    return [then = std::move(then), before](int fd) {
        writeAll(fd, before + kDoComPort);
        readUntil(
            fd, [](const QByteArray& got) { return got.count(kCommandStart) >= 6; }, 2s);
        writeAll(fd, settingsAnswers());
        then(fd);
    };
}

void expectOpenFails(NetworkTransport& transport, const QString& url, OpenFailure failure,
                     std::initializer_list<QString> saying) {
    try {
        transport.open(url, {}, 0);
        FAIL() << "opened " << url.toStdString();
    } catch (const ModemError& error) {
        EXPECT_EQ(error.number(), errc::kPortOpenFailed);
        EXPECT_EQ(error.openFailure(), failure);
        for (const QString& text : saying)
            EXPECT_TRUE(error.message().contains(text))
                << error.message().toStdString() << " lacks " << text.toStdString();
    }
    EXPECT_FALSE(transport.isOpen());
}

TEST(NetworkOpen, ARefusedConnectionSaysSoAtOnce) {
    const auto port = closedPort();
    NetworkTransport transport;
    QElapsedTimer clock;
    clock.start();
    expectOpenFails(
        transport, QStringLiteral("rfc2217://127.0.0.1:%1").arg(port), OpenFailure::Other,
        {QStringLiteral("接続を拒否されました"), QStringLiteral("127.0.0.1:%1").arg(port)});
    EXPECT_LT(clock.elapsed(), 500);
}

TEST(NetworkOpen, AServerThatNeverAnswersTheSettingsFailsAfterOneSecondSuggestingSocket) {
    SilentListener server;
    NetworkTransport transport;
    QElapsedTimer clock;
    clock.start();
    expectOpenFails(transport, server.url("rfc2217"), OpenFailure::NotSerial,
                    {QStringLiteral("RFC 2217"), QStringLiteral("1000 ms"),
                     QStringLiteral("socket://127.0.0.1:%1").arg(server.port())});
    EXPECT_GE(clock.elapsed(), 990);  // ms rounding
    EXPECT_LT(clock.elapsed(), 1500);
}

TEST(NetworkOpen, NoAnswerToTheConnectWithinTheLimit) {
    SilentListener full(true);
    NetworkTransport transport({.connect = 300ms, .negotiation = 1000ms});
    QElapsedTimer clock;
    clock.start();
    expectOpenFails(transport, full.url("socket"), OpenFailure::Other,
                    {QStringLiteral("接続できません"), QStringLiteral("300 ms")});
    EXPECT_GE(clock.elapsed(), 290);  // ms rounding
    EXPECT_LT(clock.elapsed(), 800);
}

TEST(NetworkOpen, ARequestToEndCutsAConnectShort) {
    SilentListener full(true);
    NetworkTransport transport;
    std::thread asker([] {
        std::this_thread::sleep_for(100ms);
        shutdown::request(130);
    });
    QElapsedTimer clock;
    clock.start();
    EXPECT_THROW(transport.open(full.url("socket"), {}, 0), ShutdownRequested);
    asker.join();
    shutdown::reset();
    EXPECT_LT(clock.elapsed(), 600);
}

TEST(NetworkOpen, AServerThatClosesDuringTheNegotiationIsInUseAndNamed) {
    TcpPeer server([](int fd) { writeAll(fd, kDoComPort + "Port already in use\r\n"); });
    NetworkTransport transport;
    QElapsedTimer clock;
    clock.start();
    expectOpenFails(
        transport, server.url("rfc2217"), OpenFailure::Busy,
        {QStringLiteral("使用中です"), QStringLiteral("127.0.0.1:%1").arg(server.port())});
    EXPECT_LT(clock.elapsed(), 500);
}

TEST(NetworkOpen, ATelnetServerThatRefusesTheOptionIsNoRfc2217Server) {
    TcpPeer server([](int fd) {
        writeAll(fd, QByteArray("\xff\xfe\x2c", 3));  // DONT COM-PORT-OPTION
        readUntil(
            fd, [](const QByteArray&) { return false; }, 1s);
    });
    NetworkTransport transport({.connect = 3000ms, .negotiation = 200ms});
    expectOpenFails(transport, server.url("rfc2217"), OpenFailure::NotSerial,
                    {QStringLiteral("RFC 2217"), QStringLiteral("200 ms"),
                     QStringLiteral("socket://127.0.0.1:%1").arg(server.port())});
}

TEST(NetworkOpen, WhatCameBeforeTheOpenIsNoPartOfTheReply) {
    TcpPeer server(rfc2217Server(
        [](int fd) {
            readUntil(
                fd, [](const QByteArray& got) { return got.contains("AT\r\n"); }, 2s);
            writeAll(fd, "\r\nOK\r\n");
            readUntil(
                fd, [](const QByteArray&) { return false; }, 300ms);
        },
        "Welcome to the terminal server\r\n"));
    NetworkTransport transport;
    transport.open(server.url("rfc2217"), {}, 0);
    ASSERT_TRUE(transport.isOpen());
    transport.write("AT\r\n");
    ASSERT_TRUE(transport.waitForInput(2000));
    QByteArray reply;
    while (reply.size() < 6 && transport.waitForInput(500)) reply += transport.read(0);
    EXPECT_EQ(reply, "\r\nOK\r\n");
    transport.close();
    EXPECT_FALSE(transport.isOpen());
}

// An exchange over a port whose server closes the connection after half an answer.
void exchangeBrokenOff(const TcpPeer& server, const char* scheme) {
    QtSerialPort port(PortMap::single(server.url(scheme)));
    port.setCommPort(1);
    port.setPortOpen(true);
    SystemTickClock clock;
    QtEventPump pump;
    Mdcomm unit(clock, pump, port);
    QElapsedTimer timer;
    timer.start();
    try {
        unit.SendModem(QStringLiteral("ATI4"), 2000, QStringLiteral("OK"));
        FAIL() << "the exchange ended without an error";
    } catch (const ModemError& error) {
        EXPECT_EQ(error.number(), errc::kPortIoFailed);
        EXPECT_TRUE(error.message().contains("went away")) << error.message().toStdString();
    }
    EXPECT_LT(timer.elapsed(), 1000);
    port.setPortOpen(false);
}

void halfAnAnswerThenClose(int fd) {
    readUntil(
        fd, [](const QByteArray& got) { return got.contains("ATI4\r\n"); }, 2s);
    writeAll(fd, "\r\nSIM-5600\r\nO");
}

TEST(NetworkExchange, AConnectionClosedInTheMiddleIsADeviceThatWentAway) {
    TcpPeer rfc2217(rfc2217Server(halfAnAnswerThenClose));
    exchangeBrokenOff(rfc2217, "rfc2217");
    TcpPeer raw(halfAnAnswerThenClose);
    exchangeBrokenOff(raw, "socket");
}

// /etc/hosts names localhost 127.0.0.1 and often ::1 too, where nothing listens: the lookup
// runs as for any name, and each address is tried until one answers.
TEST(NetworkOpen, ANameIsLookedUpAndItsAddressesTriedInTurn) {
    TcpPeer server([](int fd) { writeAll(fd, "here"); });
    NetworkTransport transport;
    transport.open(QStringLiteral("socket://localhost:%1").arg(server.port()), {}, 0);
    ASSERT_TRUE(transport.isOpen());
    EXPECT_TRUE(transport.waitForInput(2000));
    EXPECT_EQ(transport.read(0), "here");
}

TEST(NetworkExchange, WhatTheServerSentBeforeItClosedIsReadFirst) {
    TcpPeer server([](int fd) { writeAll(fd, "last words"); });
    NetworkTransport transport;
    transport.open(server.url("socket"), {}, 0);
    QByteArray got;
    try {
        for (int i = 0; i < 100 && got.size() < 10; ++i) {
            transport.waitForInput(50);
            got += transport.read(0);
        }
        EXPECT_EQ(got, "last words");
        transport.waitForInput(1000);
        transport.read(0);
        FAIL() << "a closed connection read as open";
    } catch (const ModemError& error) {
        EXPECT_EQ(error.number(), errc::kPortIoFailed);
    }
    EXPECT_EQ(got, "last words");
    EXPECT_THROW(transport.write("AT\r\n"), ModemError);
}

TEST(NetworkConnect, EachFailureHasItsReasonInTheUsersLanguage) {
    const NetworkTarget target{NetworkProtocol::Rfc2217, "ts1", 4001};
    const std::pair<ConnectFailure, const char*> rows[] = {
        {classifyLookupError(EAI_NONAME), "ホスト名を解決できません: ts1"},
        {classifyLookupError(EAI_AGAIN), "ホスト名を解決できません: ts1 (detail)"},
        {ConnectFailure::LookupTimeout, "ホスト名を解決できません: ts1 (3000 ms"},
        {classifyConnectErrno(ECONNREFUSED), "接続を拒否されました: ts1:4001"},
        {classifyConnectErrno(ETIMEDOUT), "接続できません: ts1:4001 (3000 ms"},
        {classifyConnectErrno(ENETUNREACH), "接続できません: ts1:4001 (ネットワーク"},
        {classifyConnectErrno(EHOSTUNREACH), "接続できません: ts1:4001 (ネットワーク"},
        {classifyConnectErrno(EACCES), "接続できません: ts1:4001 (detail)"},
    };
    for (const auto& [failure, text] : rows) {
        const ModemError error = connectError(failure, target, 3000, QStringLiteral("detail"));
        EXPECT_EQ(error.number(), errc::kPortOpenFailed);
        EXPECT_TRUE(error.message().startsWith(QString::fromUtf8(text)))
            << error.message().toStdString();
    }
    EXPECT_EQ(
        connectError(ConnectFailure::Refused, {NetworkProtocol::Socket, "::1", 7}, 3000).message(),
        QStringLiteral("接続を拒否されました: [::1]:7"));
}

}  // namespace
