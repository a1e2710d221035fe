#pragma once

#include "bytetransport.h"

#include <QSerialPort>

namespace qelv {

// A local tty over QSerialPort. Input arrives through the Qt event loop (pumping lets
// QSerialPort take what the device sent) and is also polled directly by read, available and
// waitForInput, so readers see data whether or not they pump.
class QtTransport final : public ByteTransport {
public:
    QtTransport();
    ~QtTransport() override { close(); }

    void open(const QString& device, const LineSettings& line, int handshaking) override;
    void close() override;
    bool isOpen() const override { return m_port.isOpen(); }
    void setLine(const LineSettings& line, int handshaking) override;
    void setDtr(bool on) override;
    void setRts(bool on) override;
    void write(const QByteArray& bytes) override;
    QByteArray read(qint64 max) override;
    qint64 available() override;
    bool waitForInput(int timeoutMs) override;

    // Most received bytes the port holds between reads. Once it is full, nothing more is read
    // until a reader takes some, and the kernel's tty buffer throttles the device: a device
    // that sends faster than the program reads costs this much memory, not all it sends.
    // More than half a second of the fastest line the settings allow (4,000,000 baud), so a
    // reader that comes back between its waits loses nothing a real line can deliver.
    static constexpr qint64 kReadBufferBytes = 256 << 10;
    // 0 holds everything, as the port once did; for the bench's yardstick only.
    void setReadBufferLimit(qint64 bytes) { m_port.setReadBufferSize(bytes); }

private:
    void takeArrivedInput();
    void failIfGone(const QString& what);
    [[noreturn]] void failIo(const QString& what);

    QSerialPort m_port;
    int m_baudRate = 9600;
    bool m_gone = false;
};

}  // namespace qelv
