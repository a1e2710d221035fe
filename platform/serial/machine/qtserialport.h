#pragma once

/// \file
/// QtSerialPort, the serial port component on this machine.

#include "qelvexport.h"
#include "routedserialport.h"

namespace qelv {

class QtTransport;

/// The serial port component on this machine: COM numbers routed through a PortDirectory to
/// local ttys, bytes moved by QSerialPort. Every open checks first that no other program uses
/// the device (see RoutedSerialPort).
///
/// For a port named by its device path: QtSerialPort(PortMap::single(path)), then COM1.
class QELV_EXPORT QtSerialPort final : public RoutedSerialPort {
public:
    /// Looks each open up in the map `ports` holds at that moment.
    explicit QtSerialPort(std::shared_ptr<const PortDirectory> ports);
    /// Looks each open up in `map`, which never changes.
    explicit QtSerialPort(PortMap map);

    /// 0 holds everything, as the port once did; for the bench's yardstick only.
    void setReadBufferLimit(qint64 bytes);

private:
    // The base owns `transport` from the start; the pointer kept here lives as long as it.
    QtSerialPort(std::shared_ptr<const PortDirectory> ports, QtTransport* transport);
    QtTransport* m_qt;
};

}  // namespace qelv
