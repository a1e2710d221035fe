#pragma once

/// \file
/// QtSerialPort, the serial port component on this machine.

#include "qelvexport.h"
#include "routedserialport.h"

namespace qelv {

class QtTransport;

/// The serial port component on this machine: COM numbers routed through a PortDirectory to
/// local ttys, bytes moved by QSerialPort, or to serial ports behind terminal servers named by
/// their URL, bytes moved over TCP (rfc2217://HOST:PORT with the line settings sent along by
/// the telnet Com Port Control Option, socket://HOST:PORT as they are). Every open of a local
/// tty checks first that no other program uses the device (see RoutedSerialPort); an open of a
/// network port connects (3 s at most) and, for rfc2217, waits at most 1 s for the server to
/// confirm the line settings.
///
/// For a port named by its device path or URL: QtSerialPort(PortMap::single(path)), then COM1.
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
