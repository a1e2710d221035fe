#pragma once

#include "qttransport.h"
#include "routedserialport.h"

namespace qelv {

// The serial port component on this machine: COM numbers routed through a PortDirectory to
// local ttys, bytes moved by QSerialPort.
class QtSerialPort final : public RoutedSerialPort {
public:
    explicit QtSerialPort(std::shared_ptr<const PortDirectory> ports)
        : QtSerialPort(std::move(ports), new QtTransport) {}
    explicit QtSerialPort(PortMap map) : QtSerialPort(PortDirectory::fixed(std::move(map))) {}

    static constexpr qint64 kReadBufferBytes = QtTransport::kReadBufferBytes;
    // 0 holds everything, as the port once did; for the bench's yardstick only.
    void setReadBufferLimit(qint64 bytes) { m_qt->setReadBufferLimit(bytes); }

private:
    // The base owns `transport` from the start; the pointer kept here lives as long as it.
    QtSerialPort(std::shared_ptr<const PortDirectory> ports, QtTransport* transport)
        : RoutedSerialPort(std::move(ports), std::unique_ptr<ByteTransport>(transport)),
          m_qt(transport) {}
    QtTransport* m_qt;
};

}  // namespace qelv
