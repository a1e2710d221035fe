#include "routedserialport.h"
#include "holderwatch.h"
#include "networktarget.h"
#include "portguard.h"
#include "porttexts.h"

#include <QFileInfo>

namespace qelv {

RoutedSerialPort::RoutedSerialPort(std::shared_ptr<const PortDirectory> ports,
                                   std::unique_ptr<ByteTransport> transport)
    : m_ports(std::move(ports)), m_transport(std::move(transport)) {}

RoutedSerialPort::~RoutedSerialPort() {
    close();
}

void RoutedSerialPort::setCommPort(std::int16_t n) {
    if (portOpen())
        throw ModemError(errc::kPortAlreadyOpen, QStringLiteral("the port is already open"));
    if (n < 1)
        throw ModemError(errc::kInvalidPortNumber, QStringLiteral("invalid port number %1").arg(n));
    m_commPort = n;
}

void RoutedSerialPort::setSettings(const QString& settings) {
    const auto parsed = parseLineSettings(settings);
    if (!parsed)
        throw ModemError(errc::kInvalidPropertyValue,
                         QStringLiteral("invalid line settings \"%1\"").arg(settings));
    m_settings = *parsed;
    if (portOpen()) m_transport->setLine(m_settings, m_handshaking);
}

void RoutedSerialPort::setDTREnable(bool on) {
    m_dtr = on;
    if (portOpen()) m_transport->setDtr(on);
}

void RoutedSerialPort::setRTSEnable(bool on) {
    m_rts = on;
    // Under hardware flow control RTS is the driver's, not ours.
    if (portOpen() && m_handshaking < 2) m_transport->setRts(on);
}

void RoutedSerialPort::setHandshaking(int mode) {
    if (mode < 0 || mode > 3)
        throw ModemError(errc::kInvalidPropertyValue,
                         QStringLiteral("invalid handshaking %1").arg(mode));
    m_handshaking = mode;
    if (portOpen()) m_transport->setLine(m_settings, m_handshaking);
}

void RoutedSerialPort::setPortOpen(bool open) {
    if (open == portOpen()) {
        if (open)
            throw ModemError(errc::kPortAlreadyOpen, QStringLiteral("the port is already open"));
        return;
    }
    if (open)
        this->open();
    else
        close();
}

QString RoutedSerialPort::devicePath() const {
    const auto dev = m_ports->map().device(m_commPort);
    return dev ? dev->path : QString();
}

void RoutedSerialPort::open() {
    const auto dev = m_ports->map().device(m_commPort);
    if (!dev) throw ModemError(errc::kPortOpenFailed, porttexts::kAbsent, OpenFailure::Absent);
    if (looksLikeUrl(dev->path)) {
        // A port behind a terminal server is claimed by connecting to it: whether another
        // client has it is the server's to say.
        m_transport->open(dev->path, m_settings, m_handshaking);
    } else {
        openLocal(dev->path);
    }
    m_transport->setDtr(m_dtr);
    if (m_handshaking < 2) m_transport->setRts(m_rts);
}

void RoutedSerialPort::openLocal(const QString& path) {
    // The in-use check goes on asking about the map's other devices: one pass serves all.
    QStringList mapped;
    for (int n = 1; n <= kComPorts; ++n) {
        const auto other = m_ports->map().device(n);
        if (other && !looksLikeUrl(other->path)) mapped << other->path;
    }
    watchForOpens(mapped);
    // The claim is checked under the name as mapped (a lock file may carry a link's name);
    // the transport opens the device the name leads to.
    auto guard = PortGuard::acquire(path);
    m_transport->open(QFileInfo(path).canonicalFilePath(), m_settings, m_handshaking);
    m_guard = std::move(guard);
}

void RoutedSerialPort::close() {
    if (!portOpen()) return;
    m_transport->close();
    m_guard.reset();
}

void RoutedSerialPort::requireOpen(const char* operation) const {
    if (!portOpen())
        throw ModemError(errc::kPortNotOpen,
                         QStringLiteral("%1: the port is not open").arg(QLatin1String(operation)));
}

void RoutedSerialPort::Output(const QString& text) {
    requireOpen("Output");
    m_transport->write(text.toLatin1());
}

QString RoutedSerialPort::Input() {
    requireOpen("Input");
    return QString::fromLatin1(m_transport->read(m_inputLen));
}

int RoutedSerialPort::InBufferCount() {
    requireOpen("InBufferCount");
    return static_cast<int>(std::min<qint64>(m_transport->available(), INT32_MAX));
}

void RoutedSerialPort::setInputLen(int length) {
    if (length < 0)
        throw ModemError(errc::kInvalidPropertyValue,
                         QStringLiteral("invalid InputLen %1").arg(length));
    m_inputLen = length;
}

bool RoutedSerialPort::waitForInput(int timeoutMs) {
    requireOpen("waitForInput");
    return m_transport->waitForInput(timeoutMs);
}

}  // namespace qelv
