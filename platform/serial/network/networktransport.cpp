#include "networktransport.h"

#include "comportoption.h"
#include "linetime.h"
#include "networktexts.h"
#include "shutdown.h"
#include "tcpconnect.h"
#include "telnetlink.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

namespace qelv {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// How often the negotiation looks for a request to end the program.
constexpr milliseconds kLook{50};
// How long a close waits for the server to end its side of the connection.
constexpr milliseconds kHangUpLimit{200};

const comport::Command kSettings[] = {comport::kSetBaudRate, comport::kSetDataSize,
                                      comport::kSetParity, comport::kSetStopSize,
                                      comport::kSetControl};

}  // namespace

NetworkTransport::NetworkTransport(NetworkLimits limits) : m_limits(limits) {
    m_socket.setReadBufferSize(kReadBufferBytes);
}

NetworkTransport::~NetworkTransport() {
    close();
}

void NetworkTransport::open(const QString& device, const LineSettings& line, int handshaking) {
    close();
    QString problem;
    const auto target = parseNetworkTarget(device, &problem);
    if (!target)
        throw ModemError(errc::kPortOpenFailed, networktexts::kCannotConnect.arg(device, problem),
                         OpenFailure::Other);
    m_target = *target;
    adopt(connectTcp(m_target, m_limits.connect));
    m_baudRate = line.baudRate;
    if (m_target.protocol == NetworkProtocol::Rfc2217) {
        try {
            negotiate(line, handshaking);
        } catch (...) {
            m_socket.abort();
            m_telnet.reset();
            throw;
        }
    }
    // What came before the open (a server's banner, what the device sent before the purge)
    // is no part of any reply, as a local port starts with an empty receive buffer.
    m_input.clear();
    m_open = true;
}

void NetworkTransport::adopt(int fd) {
    m_input.clear();
    if (!m_socket.setSocketDescriptor(fd, QAbstractSocket::ConnectedState, QIODevice::ReadWrite)) {
        ::close(fd);
        throw ModemError(
            errc::kPortOpenFailed,
            networktexts::kCannotConnect.arg(formatServer(m_target), m_socket.errorString()),
            OpenFailure::Other);
    }
    acknowledgeAtOnce();
}

void NetworkTransport::negotiate(const LineSettings& line, int handshaking) {
    using namespace networktexts;
    const QString server = formatServer(m_target);
    m_telnet =
        std::make_unique<TelnetLink>([this](const QByteArray& bytes) { m_socket.write(bytes); });
    m_telnet->start();
    m_socket.flush();
    const auto deadline = Clock::now() + m_limits.negotiation;
    bool sent = false;
    for (;;) {
        pull();
        if (!sent && m_telnet->comPort() == TelnetLink::ComPort::Agreed) {
            // The purge first: nothing the device said before this open belongs to it, and
            // the server answers the settings only once it has worked through the purge.
            m_telnet->sendComPort(
                comport::command(comport::kPurgeData, QByteArray(1, comport::kPurgeReceived)));
            sendSettings(line, handshaking);
            sent = true;
        }
        if (sent && settingsAnswered()) return;
        const auto notRfc2217 = [&](const QString& why) {
            return ModemError(errc::kPortOpenFailed, kNotRfc2217.arg(server, why),
                              OpenFailure::NotSerial);
        };
        if (!m_telnet->protocolError().isEmpty()) throw notRfc2217(kTelnetBroken);
        if (!connected())
            throw ModemError(errc::kPortOpenFailed, kServerBusy.arg(server), OpenFailure::Busy);
        const int left = msUntil(deadline);
        if (left == 0) throw notRfc2217(kNoSettingsAnswer.arg(m_limits.negotiation.count()));
        shutdown::throwIfRequested();
        m_socket.waitForReadyRead(std::min<int>(left, kLook.count()));
    }
}

void NetworkTransport::sendSettings(const LineSettings& line, int handshaking) {
    for (const QByteArray& command : comport::lineCommands(line, handshaking))
        m_telnet->sendComPort(command);
    m_socket.flush();
}

bool NetworkTransport::settingsAnswered() const {
    return std::all_of(std::begin(kSettings), std::end(kSettings),
                       [this](comport::Command c) { return m_telnet->answers(c) > 0; });
}

bool NetworkTransport::connected() const {
    return m_socket.state() == QAbstractSocket::ConnectedState;
}

// Takes what has arrived, without the event loop, as far as the read buffer has room.
void NetworkTransport::pull() {
    const qint64 room = kReadBufferBytes - m_input.size();
    if (room <= 0) return;
    if (connected()) {
        m_socket.waitForReadyRead(0);
        acknowledgeAtOnce();
    }
    const QByteArray raw = m_socket.read(room);
    if (raw.isEmpty()) return;
    if (!m_telnet) {
        m_input += raw;
        return;
    }
    m_telnet->receive(raw, m_input);
    // Nothing after a broken telnet stream can be trusted to be the device's.
    if (m_open && !m_telnet->protocolError().isEmpty()) m_socket.abort();
}

// The close was taken from the socket together with the last data, so nothing is left that
// would wake a reader sleeping in the event loop until the read that reports it.
void NetworkTransport::wakeWaiters() {
    QMetaObject::invokeMethod(
        &m_socket, [] {}, Qt::QueuedConnection);
}

// A server that writes its answers in several small pieces without TCP_NODELAY (ser2net)
// sends each after the first only once that one is acknowledged, and Linux delays an
// acknowledgement by up to 40 ms: every open, and every reply that comes in pieces, would
// wait that long. The kernel drops quick acknowledgements again on its own, so each read
// asks anew.
void NetworkTransport::acknowledgeAtOnce() {
    const int on = 1;
    ::setsockopt(static_cast<int>(m_socket.socketDescriptor()), IPPROTO_TCP, TCP_QUICKACK, &on,
                 sizeof on);
}

void NetworkTransport::failIfGone(const QString& what) {
    if (connected()) return;
    throw ModemError(errc::kPortIoFailed,
                     QStringLiteral("%1: the device went away (%2 closed the connection)")
                         .arg(what, formatServer(m_target)));
}

void NetworkTransport::setLine(const LineSettings& line, int handshaking) {
    m_baudRate = line.baudRate;
    if (!m_open || !m_telnet || !connected()) return;
    sendSettings(line, handshaking);
}

void NetworkTransport::setDtr(bool on) {
    if (!m_open || !m_telnet || !connected()) return;
    m_telnet->sendComPort(comport::dtrCommand(on));
    m_socket.flush();
}

void NetworkTransport::setRts(bool on) {
    if (!m_open || !m_telnet || !connected()) return;
    m_telnet->sendComPort(comport::rtsCommand(on));
    m_socket.flush();
}

void NetworkTransport::write(const QByteArray& bytes) {
    failIfGone(QStringLiteral("write"));
    if (m_telnet)
        m_telnet->send(bytes);
    else
        m_socket.write(bytes);
    m_socket.flush();
    failIfGone(QStringLiteral("write"));
}

QByteArray NetworkTransport::read(qint64 max) {
    pull();
    // What the server sent before it closed is still the device's reply.
    if (m_input.isEmpty()) failIfGone(QStringLiteral("read"));
    if (!connected()) wakeWaiters();
    if (max <= 0 || max >= m_input.size()) return std::exchange(m_input, {});
    QByteArray part = m_input.left(max);
    m_input.remove(0, max);
    return part;
}

qint64 NetworkTransport::available() {
    pull();
    if (m_input.isEmpty()) failIfGone(QStringLiteral("read"));
    if (!connected()) wakeWaiters();
    return m_input.size();
}

bool NetworkTransport::waitForInput(int timeoutMs) {
    const auto deadline = Clock::now() + milliseconds(std::max(0, timeoutMs));
    for (;;) {
        pull();
        if (!m_input.isEmpty()) return true;
        failIfGone(QStringLiteral("read"));
        const int left = msUntil(deadline);
        if (left == 0) return false;
        m_socket.waitForReadyRead(left);
    }
}

// What the program wrote last must still reach the server, within the time it takes at the
// line speed; what a server that takes nothing leaves behind is dropped with the connection.
void NetworkTransport::drainOutput() {
    if (!connected() || m_socket.bytesToWrite() == 0) return;
    const auto deadline = Clock::now() + drainBound(m_socket.bytesToWrite(), m_baudRate);
    while (connected() && m_socket.bytesToWrite() > 0) {
        const int left = msUntil(deadline);
        if (left == 0) return;
        m_socket.waitForBytesWritten(left);
    }
}

void NetworkTransport::close() {
    if (!m_open) return;
    m_open = false;
    drainOutput();
    hangUp();
    m_socket.abort();
    m_telnet.reset();
    m_input.clear();
}

// Ends our side and lets the server end its own, reading away what it still sends. A
// connection closed with input unread is reset instead, and a server torn down that way
// (ser2net) takes long enough over it to turn the next open away as busy.
void NetworkTransport::hangUp() {
    if (!connected()) return;
    ::shutdown(static_cast<int>(m_socket.socketDescriptor()), SHUT_WR);
    const auto deadline = Clock::now() + kHangUpLimit;
    while (connected()) {
        m_socket.readAll();
        const int left = msUntil(deadline);
        if (left == 0) return;
        m_socket.waitForReadyRead(left);
    }
}

}  // namespace qelv
