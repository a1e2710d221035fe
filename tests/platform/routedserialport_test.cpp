// The router above any byte transport: which device a COM number opens, that nobody else's
// device is ever handed to the transport, and what the transport is told at the open.

#include "routedserialport.h"
#include "holder.h"
#include "pty.h"

#include <gtest/gtest.h>

#include <utility>

using namespace qelv;
using namespace qelv::test;

namespace {

// Records what the router asks of it; moves no bytes but those the test gives it.
struct RecordingTransport final : ByteTransport {
    struct Log {
        std::vector<QString> opened;
        LineSettings line;
        int handshaking = -1;
        bool dtr = false;
        bool rts = false;
        QByteArray written;
        int closes = 0;
    };
    explicit RecordingTransport(Log& log) : m_log(log) {}
    void open(const QString& device, const LineSettings& line, int handshaking) override {
        m_log.opened.push_back(device);
        m_log.line = line;
        m_log.handshaking = handshaking;
        m_open = true;
    }
    void close() override {
        if (m_open) ++m_log.closes;
        m_open = false;
    }
    bool isOpen() const override { return m_open; }
    void setLine(const LineSettings& line, int handshaking) override {
        m_log.line = line;
        m_log.handshaking = handshaking;
    }
    void setDtr(bool on) override { m_log.dtr = on; }
    void setRts(bool on) override { m_log.rts = on; }
    void write(const QByteArray& bytes) override { m_log.written += bytes; }
    QByteArray read(qint64) override { return std::exchange(m_incoming, {}); }
    qint64 available() override { return m_incoming.size(); }
    bool waitForInput(int) override { return !m_incoming.isEmpty(); }

    Log& m_log;
    QByteArray m_incoming = "\xe9OK";
    bool m_open = false;
};

struct Router : ::testing::Test {
    Pty device;
    PortsDir dir;
    RecordingTransport::Log log;
    RoutedSerialPort port{PortDirectory::fixed(PortMap::fromDirectory(dir.path())),
                          std::make_unique<RecordingTransport>(log)};
};

TEST_F(Router, OpensTheMappedDeviceWithTheSettingsGivenBefore) {
    dir.link(3, device.slavePath());
    port.setCommPort(3);
    port.setSettings(QStringLiteral("19200,E,7,2"));
    port.setDTREnable(true);
    port.setRTSEnable(true);
    port.setHandshaking(1);
    port.setPortOpen(true);
    ASSERT_EQ(log.opened, std::vector<QString>{device.slavePath()});
    EXPECT_EQ(log.line.baudRate, 19200);
    EXPECT_EQ(log.line.parity, Parity::Even);
    EXPECT_EQ(log.line.dataBits, 7);
    EXPECT_EQ(log.handshaking, 1);
    EXPECT_TRUE(log.dtr);
    EXPECT_TRUE(log.rts);
    port.Output(QStringLiteral("AT\r"));
    EXPECT_EQ(log.written, "AT\r");
    EXPECT_EQ(port.Input(), QString::fromLatin1("\xe9OK"));  // one byte, one character
    port.setPortOpen(false);
    EXPECT_EQ(log.closes, 1);
}

TEST_F(Router, ADeviceInUseOrAbsentNeverReachesTheTransport) {
    dir.link(1, device.slavePath());
    dir.link(2, dir.path() + QStringLiteral("/no-such-tty"));
    Holder other({}, device.slavePath());  // another program with the device open
    for (std::int16_t n : {1, 2, 4}) {
        port.setCommPort(n);
        EXPECT_THROW(port.setPortOpen(true), ModemError) << n;
        EXPECT_FALSE(port.portOpen()) << n;
    }
    EXPECT_TRUE(log.opened.empty());
    EXPECT_THROW(port.Output(QStringLiteral("AT")), ModemError);
    EXPECT_TRUE(log.written.isEmpty());
}

}  // namespace
