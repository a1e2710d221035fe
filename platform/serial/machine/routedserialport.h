#pragma once

/// \file
/// RoutedSerialPort, the serial port component as a router from COM numbers to devices.

#include "bytetransport.h"
#include "linesettings.h"
#include "portdirectory.h"
#include "qelvexport.h"
#include "serialport.h"

#include <memory>

namespace qelv {

class PortGuard;

/// The serial port component as a router: at each open it looks the COM number up in the map
/// its PortDirectory holds at that moment, checks that no other program uses the device and
/// claims it (PortGuard), and only then lets its transport open the device. A device that is
/// a network URL (rfc2217://, socket://) goes to the transport as it is, unclaimed: whether
/// another client has it is the server's to say. The transport moves the bytes; the router
/// owns the port's settings, which it hands down at the open.
class QELV_EXPORT RoutedSerialPort : public SerialPort {
public:
    /// Routes through the map `ports` holds at each open, to devices `transport` opens.
    RoutedSerialPort(std::shared_ptr<const PortDirectory> ports,
                     std::unique_ptr<ByteTransport> transport);
    /// Closes the port if it is open.
    ~RoutedSerialPort() override;

    void setCommPort(std::int16_t n) override;
    std::int16_t commPort() const override { return m_commPort; }
    void setSettings(const QString& settings) override;
    QString settings() const override { return formatLineSettings(m_settings); }
    void setDTREnable(bool on) override;
    void setRTSEnable(bool on) override;
    void setHandshaking(int mode) override;
    void setPortOpen(bool open) override;
    bool portOpen() const override { return m_transport->isOpen(); }
    void Output(const QString& text) override;
    QString Input() override;
    int InBufferCount() override;
    void setInputLen(int length) override;
    bool waitForInput(int timeoutMs) override;
    QString devicePath() const override;

private:
    void open();
    void openLocal(const QString& path);
    void close();
    void requireOpen(const char* operation) const;

    std::shared_ptr<const PortDirectory> m_ports;
    std::unique_ptr<ByteTransport> m_transport;
    std::unique_ptr<PortGuard> m_guard;
    std::int16_t m_commPort = 1;
    LineSettings m_settings;
    bool m_dtr = false;
    bool m_rts = false;
    int m_handshaking = 0;
    int m_inputLen = 0;
};

}  // namespace qelv
