#include "qtserialport.h"
#include "localornetworktransport.h"
#include "qttransport.h"

namespace qelv {

QtSerialPort::QtSerialPort(std::shared_ptr<const PortDirectory> ports)
    : QtSerialPort(std::move(ports), new QtTransport) {}

QtSerialPort::QtSerialPort(PortMap map) : QtSerialPort(PortDirectory::fixed(std::move(map))) {}

QtSerialPort::QtSerialPort(std::shared_ptr<const PortDirectory> ports, QtTransport* transport)
    : RoutedSerialPort(std::move(ports), std::make_unique<LocalOrNetworkTransport>(
                                             std::unique_ptr<ByteTransport>(transport))),
      m_qt(transport) {}

void QtSerialPort::setReadBufferLimit(qint64 bytes) {
    m_qt->setReadBufferLimit(bytes);
}

}  // namespace qelv
