#pragma once

#include "bytetransport.h"
#include "networktarget.h"

#include <QTcpSocket>

#include <chrono>
#include <memory>

namespace qelv {

class TelnetLink;

// How long an open of a network serial port may take.
struct NetworkLimits {
    std::chrono::milliseconds connect{3000};      // the lookup and the TCP connect
    std::chrono::milliseconds negotiation{1000};  // the server's answers to the settings
};

// A serial port behind a terminal server, over QTcpSocket: open() takes its URL
// (rfc2217://HOST:PORT or socket://HOST:PORT) as the device.
//
// rfc2217: the bytes travel over telnet (libtelnet: negotiation, IAC escaping) with the Com
// Port Control Option. The open asks the server to drop what the device sent before it
// (PURGE-DATA), sends the line settings (SET-BAUDRATE, SET-DATASIZE, SET-PARITY, SET-STOPSIZE,
// SET-CONTROL for the flow control) and succeeds only once the server has answered all five;
// later setLine, setDtr and setRts send their commands without waiting for the answers.
// socket: the bytes as they are; the line settings, DTR and RTS are the server's business.
//
// The open fails (kPortOpenFailed with the reason for the user) when the name does not
// resolve, the connection is refused or not made within the connect limit, the server closes
// it during the negotiation (OpenFailure::Busy: a one-client server serving someone else), or
// does not speak RFC 2217 within the negotiation limit. A connection the server closes later
// is a device that went away (kPortIoFailed), once what it sent before has been read.
// Input is read from the socket by the event loop or on demand, as for a local tty.
class NetworkTransport final : public ByteTransport {
public:
    explicit NetworkTransport(NetworkLimits limits = {});
    ~NetworkTransport() override;

    void open(const QString& device, const LineSettings& line, int handshaking) override;
    void close() override;
    bool isOpen() const override { return m_open; }
    void setLine(const LineSettings& line, int handshaking) override;
    void setDtr(bool on) override;
    void setRts(bool on) override;
    void write(const QByteArray& bytes) override;
    QByteArray read(qint64 max) override;
    qint64 available() override;
    bool waitForInput(int timeoutMs) override;

    // Most received bytes held between reads, as for a local tty: beyond it the socket is
    // left unread and TCP holds the server back.
    static constexpr qint64 kReadBufferBytes = 256 << 10;

private:
    void adopt(int fd);
    void negotiate(const LineSettings& line, int handshaking);
    void sendSettings(const LineSettings& line, int handshaking);
    bool settingsAnswered() const;
    void pull();
    void acknowledgeAtOnce();
    bool connected() const;
    void failIfGone(const QString& what);
    void wakeWaiters();
    void drainOutput();
    void hangUp();

    NetworkLimits m_limits;
    QTcpSocket m_socket;
    std::unique_ptr<TelnetLink> m_telnet;
    NetworkTarget m_target;
    QByteArray m_input;
    int m_baudRate = 9600;
    bool m_open = false;
};

}  // namespace qelv
