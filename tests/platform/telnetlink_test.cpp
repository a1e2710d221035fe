#include "telnetlink.h"
#include "comportoption.h"

#include <gtest/gtest.h>

using namespace qelv;

namespace {

constexpr char kIac = '\xff';
constexpr char kSb = '\xfa';
constexpr char kSe = '\xf0';
constexpr char kWill = '\xfb';
constexpr char kDo = '\xfd';
constexpr char kDont = '\xfe';
constexpr char kComPort = 44;

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values) out += static_cast<char>(v);
    return out;
}

QByteArray allByteValues() {
    QByteArray all;
    for (int v = 0; v < 256; ++v) all += static_cast<char>(v);
    return all;
}

struct Peer {
    QByteArray wire;  // what the link sent
    TelnetLink link{[this](const QByteArray& b) { wire += b; }};
};

TEST(ComPortOption, TheLineSettingsAsCommandsInTheRecommendedOrder) {
    const auto commands = comport::lineCommands({115200, Parity::Even, 7, 20}, 0);
    ASSERT_EQ(commands.size(), 5u);
    EXPECT_EQ(commands[0], bytes({1, 0x00, 0x01, 0xc2, 0x00}));  // 115200, network order
    EXPECT_EQ(commands[1], bytes({2, 7}));
    EXPECT_EQ(commands[2], bytes({3, 3}));  // even
    EXPECT_EQ(commands[3], bytes({4, 2}));  // two stop bits
    EXPECT_EQ(commands[4], bytes({5, 1}));  // no flow control
    const auto usual = comport::lineCommands({}, 0);
    EXPECT_EQ(usual[0], bytes({1, 0, 0, 0x25, 0x80}));  // 9600
    EXPECT_EQ(usual[2], bytes({3, 1}));                 // no parity
    EXPECT_EQ(usual[3], bytes({4, 1}));                 // one stop bit
    EXPECT_EQ(comport::lineCommands({9600, Parity::Odd, 8, 15}, 1)[2], bytes({3, 2}));
    EXPECT_EQ(comport::lineCommands({9600, Parity::Mark, 8, 15}, 1)[3], bytes({4, 3}));
    EXPECT_EQ(comport::lineCommands({9600, Parity::Space, 8, 10}, 1)[4], bytes({5, 2}));
    EXPECT_EQ(comport::lineCommands({}, 2)[4], bytes({5, 3}));
    EXPECT_EQ(comport::lineCommands({}, 3)[4], bytes({5, 3}));
    EXPECT_EQ(comport::dtrCommand(true), bytes({5, 8}));
    EXPECT_EQ(comport::dtrCommand(false), bytes({5, 9}));
    EXPECT_EQ(comport::rtsCommand(true), bytes({5, 11}));
    EXPECT_EQ(comport::rtsCommand(false), bytes({5, 12}));
}

TEST(ComPortOption, AnswersAreTheCommandsPlusOneHundredAndNothingElse) {
    const auto baud = comport::parseAnswer(bytes({101, 0, 0, 0x25, 0x80}));
    ASSERT_TRUE(baud);
    EXPECT_EQ(baud->answers, comport::kSetBaudRate);
    EXPECT_EQ(baud->value, bytes({0, 0, 0x25, 0x80}));
    EXPECT_EQ(comport::parseAnswer(bytes({105, 1}))->answers, comport::kSetControl);
    EXPECT_EQ(comport::parseAnswer(bytes({112, 1}))->answers, comport::kPurgeData);
    // Client commands, notifications of line and modem state, the signature, nothing.
    for (const QByteArray& other : {bytes({1, 0, 0, 0x25, 0x80}), bytes({106, 0}), bytes({107, 0}),
                                    bytes({100}), bytes({111, 0}), bytes({113}), QByteArray()})
        EXPECT_FALSE(comport::parseAnswer(other)) << other.toHex().toStdString();
}

TEST(TelnetLink, OffersTheOptionAndKnowsTheServersAnswer) {
    Peer agreed;
    agreed.link.start();
    EXPECT_TRUE(agreed.wire.contains(bytes({0xff, 0xfb, 44})));  // IAC WILL COM-PORT-OPTION
    EXPECT_TRUE(agreed.wire.contains(bytes({0xff, 0xfb, 0})));   // IAC WILL BINARY
    EXPECT_TRUE(agreed.wire.contains(bytes({0xff, 0xfd, 0})));   // IAC DO BINARY
    EXPECT_EQ(agreed.link.comPort(), TelnetLink::ComPort::Asked);
    QByteArray data;
    agreed.link.receive(QByteArray() + kIac + kDo + kComPort, data);
    EXPECT_EQ(agreed.link.comPort(), TelnetLink::ComPort::Agreed);
    EXPECT_TRUE(data.isEmpty());

    // A refusal is no agreement (libtelnet reports none; the open's time limit ends it).
    Peer refused;
    refused.link.start();
    refused.link.receive(QByteArray() + kIac + kDont + kComPort, data);
    EXPECT_EQ(refused.link.comPort(), TelnetLink::ComPort::Asked);

    // A server that asks first (ser2net does) is answered, and agreed with.
    Peer asked;
    asked.link.receive(QByteArray() + kIac + kDo + kComPort, data);
    EXPECT_TRUE(asked.wire.contains(bytes({0xff, 0xfb, 44})));
    EXPECT_EQ(asked.link.comPort(), TelnetLink::ComPort::Agreed);
    // Options we do not know are refused, not left hanging.
    asked.wire.clear();
    asked.link.receive(QByteArray() + kIac + kWill + char(1), data);  // WILL ECHO
    EXPECT_EQ(asked.wire, bytes({0xff, 0xfe, 1}));                    // DONT ECHO
}

TEST(TelnetLink, EveryByteValuePassesBothWaysWith0xFFDoubledOnTheWire) {
    Peer peer;
    peer.link.send(allByteValues());
    EXPECT_EQ(peer.wire.size(), 257);
    EXPECT_TRUE(peer.wire.endsWith(bytes({0xff, 0xff})));
    QByteArray data;
    // Split anywhere, the doubled 0xFF included.
    peer.link.receive(peer.wire.left(256), data);
    peer.link.receive(peer.wire.mid(256), data);
    EXPECT_EQ(data, allByteValues());
    data.clear();
    peer.link.receive(QByteArray("A\r\0B\r\nC", 7), data);
    EXPECT_EQ(data, QByteArray("A\r\0B\r\nC", 7));
}

TEST(TelnetLink, CountsTheServersAnswersAndKeepsThemOutOfTheData) {
    Peer peer;
    QByteArray data;
    const QByteArray baudAnswer =
        QByteArray() + kIac + kSb + kComPort + bytes({101, 0, 0, 0x25, 0x80}) + kIac + kSe;
    const QByteArray controlAnswer =
        QByteArray() + kIac + kSb + kComPort + char(105) + char(1) + kIac + kSe;
    const QByteArray modemState =
        QByteArray() + kIac + kSb + kComPort + char(107) + char(0x30) + kIac + kSe;
    peer.link.receive("OK" + baudAnswer + modemState + "\r\n" + controlAnswer.left(3), data);
    peer.link.receive(controlAnswer.mid(3), data);
    EXPECT_EQ(data, "OK\r\n");
    EXPECT_EQ(peer.link.answers(comport::kSetBaudRate), 1);
    EXPECT_EQ(peer.link.answers(comport::kSetControl), 1);
    EXPECT_EQ(peer.link.answers(comport::kSetParity), 0);
    // A value of 0xFF inside an answer comes doubled and still counts once.
    peer.link.receive(QByteArray() + kIac + kSb + kComPort +
                          bytes({101, 0, 0, 0xff, 0xff, 0xff, 0xff}) + kIac + kSe,
                      data);
    EXPECT_EQ(peer.link.answers(comport::kSetBaudRate), 2);
    EXPECT_EQ(data, "OK\r\n");
    EXPECT_TRUE(peer.link.protocolError().isEmpty());
}

TEST(TelnetLink, CommandsGoFramedAndEscaped) {
    Peer peer;
    peer.link.sendComPort(comport::command(comport::kSetBaudRate, bytes({0, 0, 0xff, 0x10})));
    EXPECT_EQ(peer.wire, bytes({0xff, 0xfa, 44, 1, 0, 0, 0xff, 0xff, 0x10, 0xff, 0xf0}));
}

}  // namespace
