#pragma once

#include "bytetransport.h"

#include <memory>

namespace qelv {

// The transport of this machine's ports: a local tty through the transport given, or, when
// the device an open names is a URL (rfc2217://, socket://), a serial port behind a terminal
// server through a NetworkTransport made at the first such open. Everything between an open
// and its close goes to the one that opened.
class LocalOrNetworkTransport final : public ByteTransport {
public:
    explicit LocalOrNetworkTransport(std::unique_ptr<ByteTransport> local);
    ~LocalOrNetworkTransport() override;

    void open(const QString& device, const LineSettings& line, int handshaking) override;
    void close() override { m_active->close(); }
    bool isOpen() const override { return m_active->isOpen(); }
    void setLine(const LineSettings& line, int handshaking) override {
        m_active->setLine(line, handshaking);
    }
    void setDtr(bool on) override { m_active->setDtr(on); }
    void setRts(bool on) override { m_active->setRts(on); }
    void write(const QByteArray& bytes) override { m_active->write(bytes); }
    QByteArray read(qint64 max) override { return m_active->read(max); }
    qint64 available() override { return m_active->available(); }
    bool waitForInput(int timeoutMs) override { return m_active->waitForInput(timeoutMs); }

private:
    std::unique_ptr<ByteTransport> m_local;
    std::unique_ptr<ByteTransport> m_network;
    ByteTransport* m_active;
};

}  // namespace qelv
