#include "qtserialport.h"

#include "outputdrain.h"
#include "portprobe.h"

#include <QFileInfo>

namespace qelv {

namespace {

QSerialPort::Parity toQt(Parity parity) {
    switch (parity) {
        case Parity::None:
            return QSerialPort::NoParity;
        case Parity::Even:
            return QSerialPort::EvenParity;
        case Parity::Odd:
            return QSerialPort::OddParity;
        case Parity::Mark:
            return QSerialPort::MarkParity;
        case Parity::Space:
            return QSerialPort::SpaceParity;
    }
    return QSerialPort::NoParity;
}

QSerialPort::StopBits toQtStopBits(int tenths) {
    if (tenths == 15) return QSerialPort::OneAndHalfStop;
    return tenths == 20 ? QSerialPort::TwoStop : QSerialPort::OneStop;
}

QSerialPort::FlowControl toQtFlow(int mode) {
    // Both kinds at once is not something a tty does; hardware flow control is the one
    // that protects data.
    if (mode == 1) return QSerialPort::SoftwareControl;
    return mode >= 2 ? QSerialPort::HardwareControl : QSerialPort::NoFlowControl;
}

}  // namespace

namespace {

bool meansGone(QSerialPort::SerialPortError error) {
    return error == QSerialPort::ReadError || error == QSerialPort::ResourceError ||
           error == QSerialPort::WriteError;
}

}  // namespace

QtSerialPort::QtSerialPort(PortMap map) : QtSerialPort(PortDirectory::fixed(std::move(map))) {}

QtSerialPort::QtSerialPort(std::shared_ptr<const PortDirectory> ports) : m_ports(std::move(ports)) {
    m_port.setReadBufferSize(kReadBufferBytes);
    // The event loop may see the failure first; remember it for the next reader.
    QObject::connect(
        &m_port, &QSerialPort::errorOccurred, &m_port,
        [this](QSerialPort::SerialPortError error) { m_gone = m_gone || meansGone(error); });
}

QtSerialPort::~QtSerialPort() {
    close();
}

void QtSerialPort::setCommPort(std::int16_t n) {
    if (portOpen())
        throw ModemError(errc::kPortAlreadyOpen, QStringLiteral("the port is already open"));
    if (n < 1)
        throw ModemError(errc::kInvalidPortNumber, QStringLiteral("invalid port number %1").arg(n));
    m_commPort = n;
}

void QtSerialPort::setSettings(const QString& settings) {
    const auto parsed = parseLineSettings(settings);
    if (!parsed)
        throw ModemError(errc::kInvalidPropertyValue,
                         QStringLiteral("invalid line settings \"%1\"").arg(settings));
    m_settings = *parsed;
    if (portOpen()) applyLine();
}

void QtSerialPort::setDTREnable(bool on) {
    m_dtr = on;
    // A pseudo-terminal has no modem lines; that is not the caller's failure.
    if (portOpen()) m_port.setDataTerminalReady(on);
    m_port.clearError();
}

void QtSerialPort::setRTSEnable(bool on) {
    m_rts = on;
    if (portOpen() && m_handshaking < 2) m_port.setRequestToSend(on);
    m_port.clearError();
}

void QtSerialPort::setHandshaking(int mode) {
    if (mode < 0 || mode > 3)
        throw ModemError(errc::kInvalidPropertyValue,
                         QStringLiteral("invalid handshaking %1").arg(mode));
    m_handshaking = mode;
    if (portOpen()) applyLine();
}

void QtSerialPort::setPortOpen(bool open) {
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

QString QtSerialPort::devicePath() const {
    const auto dev = m_ports->map().device(m_commPort);
    return dev ? dev->path : QString();
}

void QtSerialPort::open() {
    const auto dev = m_ports->map().device(m_commPort);
    if (!dev)
        throw ModemError(errc::kPortOpenFailed, QStringLiteral("デバイスがありません"),
                         OpenFailure::Absent);
    const QString target = QFileInfo(dev->path).canonicalFilePath();
    auto guard = PortGuard::acquire(dev->path);
    m_port.setPortName(target);
    if (!m_port.open(QIODevice::ReadWrite)) {
        m_port.clearError();
        // The guard's checks passed, so what is left is Qt's own lock file (another instance
        // between our checks and its open) or a refusal we can tell apart by trying again.
        const ProbeResult why = diagnosePort(target);
        if (why.failure == OpenFailure::Other)
            throw ModemError(errc::kPortOpenFailed, QStringLiteral("使用中です: %1").arg(target),
                             OpenFailure::Busy);
        throw ModemError(errc::kPortOpenFailed, why.reason, why.failure);
    }
    m_guard = std::move(guard);
    m_gone = false;
    // A serial line keeps nothing while nobody has it open; a pseudo-terminal does. Start
    // every open with an empty receive buffer either way.
    m_port.clear(QSerialPort::Input);
    applyLine();
    m_port.setDataTerminalReady(m_dtr);
    if (m_handshaking < 2) m_port.setRequestToSend(m_rts);
    m_port.clearError();
}

void QtSerialPort::applyLine() {
    m_port.setBaudRate(m_settings.baudRate);
    m_port.setParity(toQt(m_settings.parity));
    m_port.setDataBits(static_cast<QSerialPort::DataBits>(m_settings.dataBits));
    m_port.setStopBits(toQtStopBits(m_settings.stopBitsTenths));
    m_port.setFlowControl(toQtFlow(m_handshaking));
    m_port.clearError();
}

void QtSerialPort::close() {
    if (!m_port.isOpen()) return;
    // A command written just before the close must still reach the device, but a device
    // that does not take its output (flow control held off, a hung line) must not keep the
    // close waiting: what has not gone after the time it takes at the line speed is dropped.
    // Flushing unconditionally is no shortcut: on a pseudo-terminal it also throws away what
    // the other side has not read yet.
    if (!drainOutput(m_port, m_settings.baudRate)) m_port.clear(QSerialPort::Output);
    m_port.close();
    m_port.clearError();
    m_guard.reset();
}

void QtSerialPort::requireOpen(const char* operation) const {
    if (!portOpen())
        throw ModemError(errc::kPortNotOpen,
                         QStringLiteral("%1: the port is not open").arg(QLatin1String(operation)));
}

void QtSerialPort::failIo(const QString& what) {
    const QString message = QStringLiteral("%1: %2").arg(what, m_port.errorString());
    m_port.clearError();
    throw ModemError(errc::kPortIoFailed, message);
}

void QtSerialPort::takeArrivedInput() {
    m_port.waitForReadyRead(0);
    failIfGone(QStringLiteral("read"));
}

void QtSerialPort::failIfGone(const QString& what) {
    // A device that vanished (a pseudo-terminal's other side closed, a USB adapter pulled)
    // shows up as a read or resource error; waiting without data is a mere timeout.
    if (m_gone || meansGone(m_port.error())) {
        // Qt's own text for a vanished device is whatever the last ioctl said ("Inappropriate
        // ioctl for device"), which tells the user nothing.
        m_port.clearError();
        throw ModemError(errc::kPortIoFailed, QStringLiteral("%1: the device went away").arg(what));
    }
    m_port.clearError();
}

void QtSerialPort::Output(const QString& text) {
    requireOpen("Output");
    const QByteArray bytes = text.toLatin1();
    if (m_port.write(bytes) != bytes.size()) failIo(QStringLiteral("write"));
    m_port.flush();
    failIfGone(QStringLiteral("write"));
}

QString QtSerialPort::Input() {
    requireOpen("Input");
    takeArrivedInput();
    const QByteArray bytes = m_inputLen > 0 ? m_port.read(m_inputLen) : m_port.readAll();
    return QString::fromLatin1(bytes);
}

int QtSerialPort::InBufferCount() {
    requireOpen("InBufferCount");
    takeArrivedInput();
    return static_cast<int>(std::min<qint64>(m_port.bytesAvailable(), INT32_MAX));
}

void QtSerialPort::setInputLen(int length) {
    if (length < 0)
        throw ModemError(errc::kInvalidPropertyValue,
                         QStringLiteral("invalid InputLen %1").arg(length));
    m_inputLen = length;
}

bool QtSerialPort::waitForInput(int timeoutMs) {
    requireOpen("waitForInput");
    if (m_port.bytesAvailable() > 0) return true;
    const bool arrived = m_port.waitForReadyRead(std::max(0, timeoutMs));
    failIfGone(QStringLiteral("read"));
    return arrived;
}

}  // namespace qelv
