#include "qttransport.h"
#include "porttexts.h"

#include "holderwatch.h"
#include "outputdrain.h"
#include "portprobe.h"
#include "procholders.h"

#include <sys/ioctl.h>
#include <sys/stat.h>

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

bool isPseudoTerminal(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 && ptyIndexOf(st.st_rdev) >= 0;
}

bool meansGone(QSerialPort::SerialPortError error) {
    return error == QSerialPort::ReadError || error == QSerialPort::ResourceError ||
           error == QSerialPort::WriteError;
}

}  // namespace

QtTransport::QtTransport() {
    m_port.setReadBufferSize(kReadBufferBytes);
    // The event loop may see the failure first; remember it for the next reader.
    QObject::connect(
        &m_port, &QSerialPort::errorOccurred, &m_port,
        [this](QSerialPort::SerialPortError error) { m_gone = m_gone || meansGone(error); });
}

void QtTransport::open(const QString& device, const LineSettings& line, int handshaking) {
    m_port.setPortName(device);
    bool opened = false;
    {
        const OwnOpen own(device);
        opened = m_port.open(QIODevice::ReadWrite);
    }
    if (!opened) {
        m_port.clearError();
        // The claim's checks passed, so what is left is Qt's own lock file (another instance
        // between our checks and its open) or a refusal we can tell apart by trying again.
        const ProbeResult why = diagnosePort(device);
        if (why.failure == OpenFailure::Other)
            throw ModemError(errc::kPortOpenFailed, porttexts::kBusy.arg(device),
                             OpenFailure::Busy);
        throw ModemError(errc::kPortOpenFailed, why.reason, why.failure);
    }
    m_gone = false;
    // Qt puts every tty in exclusive mode. A pseudo-terminal would keep it after a SIGKILL for
    // as long as its other side holds the master, and only root could clear it then: on one,
    // the lock file and the claim's flock keep careful programs out instead. A serial line's
    // last close ends it, however the program ends.
    if (isPseudoTerminal(static_cast<int>(m_port.handle())))
        ::ioctl(static_cast<int>(m_port.handle()), TIOCNXCL);
    // A serial line keeps nothing while nobody has it open; a pseudo-terminal does. Start
    // every open with an empty receive buffer either way.
    m_port.clear(QSerialPort::Input);
    setLine(line, handshaking);
}

void QtTransport::setLine(const LineSettings& line, int handshaking) {
    m_baudRate = line.baudRate;
    if (!m_port.isOpen()) return;
    m_port.setBaudRate(line.baudRate);
    m_port.setParity(toQt(line.parity));
    m_port.setDataBits(static_cast<QSerialPort::DataBits>(line.dataBits));
    m_port.setStopBits(toQtStopBits(line.stopBitsTenths));
    m_port.setFlowControl(toQtFlow(handshaking));
    m_port.clearError();
}

void QtTransport::setDtr(bool on) {
    if (m_port.isOpen()) m_port.setDataTerminalReady(on);
    m_port.clearError();
}

void QtTransport::setRts(bool on) {
    if (m_port.isOpen()) m_port.setRequestToSend(on);
    m_port.clearError();
}

void QtTransport::close() {
    if (!m_port.isOpen()) return;
    // A command written just before the close must still reach the device, but a device
    // that does not take its output (flow control held off, a hung line) must not keep the
    // close waiting: what has not gone after the time it takes at the line speed is dropped.
    // Flushing unconditionally is no shortcut: on a pseudo-terminal it also throws away what
    // the other side has not read yet.
    if (!drainOutput(m_port, m_baudRate)) m_port.clear(QSerialPort::Output);
    m_port.close();
    m_port.clearError();
}

void QtTransport::failIo(const QString& what) {
    const QString message = QStringLiteral("%1: %2").arg(what, m_port.errorString());
    m_port.clearError();
    throw ModemError(errc::kPortIoFailed, message);
}

void QtTransport::takeArrivedInput() {
    m_port.waitForReadyRead(0);
    failIfGone(QStringLiteral("read"));
}

void QtTransport::failIfGone(const QString& what) {
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

void QtTransport::write(const QByteArray& bytes) {
    if (m_port.write(bytes) != bytes.size()) failIo(QStringLiteral("write"));
    m_port.flush();
    failIfGone(QStringLiteral("write"));
}

QByteArray QtTransport::read(qint64 max) {
    takeArrivedInput();
    return max > 0 ? m_port.read(max) : m_port.readAll();
}

qint64 QtTransport::available() {
    takeArrivedInput();
    return m_port.bytesAvailable();
}

bool QtTransport::waitForInput(int timeoutMs) {
    if (m_port.bytesAvailable() > 0) return true;
    const bool arrived = m_port.waitForReadyRead(std::max(0, timeoutMs));
    failIfGone(QStringLiteral("read"));
    return arrived;
}

}  // namespace qelv
