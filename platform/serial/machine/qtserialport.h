#pragma once

#include "linesettings.h"
#include "portdirectory.h"
#include "portguard.h"
#include "serialport.h"

#include <QSerialPort>

namespace qelv {

// The serial port component over QSerialPort, with COM numbers looked up at each open in
// the map its PortDirectory holds at that moment. Input arrives through the Qt event loop (pumping
// lets QSerialPort take what the device sent) and is also polled directly by Input, InBufferCount
// and waitForInput, so readers see data whether or not they pump.
class QtSerialPort final : public SerialPort {
public:
    explicit QtSerialPort(std::shared_ptr<const PortDirectory> ports);
    explicit QtSerialPort(PortMap map);
    ~QtSerialPort() override;

    void setCommPort(std::int16_t n) override;
    std::int16_t commPort() const override { return m_commPort; }
    void setSettings(const QString& settings) override;
    QString settings() const override { return formatLineSettings(m_settings); }
    void setDTREnable(bool on) override;
    void setRTSEnable(bool on) override;
    void setHandshaking(int mode) override;
    void setPortOpen(bool open) override;
    bool portOpen() const override { return m_port.isOpen(); }
    void Output(const QString& text) override;
    QString Input() override;
    int InBufferCount() override;
    void setInputLen(int length) override;
    bool waitForInput(int timeoutMs) override;
    QString devicePath() const override;

    // Most received bytes the port holds between reads. Once it is full, nothing more is read
    // until a reader takes some, and the kernel's tty buffer throttles the device: a device
    // that sends faster than the program reads costs this much memory, not all it sends.
    // More than half a second of the fastest line the settings allow (4,000,000 baud), so a
    // reader that comes back between its waits loses nothing a real line can deliver.
    static constexpr qint64 kReadBufferBytes = 256 << 10;
    // 0 holds everything, as the port once did; for the bench's yardstick only.
    void setReadBufferLimit(qint64 bytes) { m_port.setReadBufferSize(bytes); }

private:
    void open();
    void close();
    void applyLine();
    void requireOpen(const char* operation) const;
    void takeArrivedInput();
    void failIfGone(const QString& what);
    [[noreturn]] void failIo(const QString& what);

    std::shared_ptr<const PortDirectory> m_ports;
    QSerialPort m_port;
    std::unique_ptr<PortGuard> m_guard;
    std::int16_t m_commPort = 1;
    LineSettings m_settings;
    bool m_dtr = false;
    bool m_rts = false;
    int m_handshaking = 0;
    int m_inputLen = 0;
    bool m_gone = false;
};

}  // namespace qelv
