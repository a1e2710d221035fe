#pragma once

#include "fakes.h"

#include <QStringList>

#include <memory>

namespace qelv::test {

// A port that writes down every setting and every open and close it is given, then passes it
// on to `port` (keeping `own` alive, when given, for as long as it lives).
class RecordingPort final : public SerialPort {
public:
    RecordingPort(std::unique_ptr<ScriptedPort> own, ScriptedPort& port, QStringList& log)
        : m_own(std::move(own)), m_port(port), m_log(log) {}

    void setCommPort(std::int16_t n) override {
        m_log << QStringLiteral("CommPort %1").arg(n);
        m_port.setCommPort(n);
    }
    std::int16_t commPort() const override { return m_port.commPort(); }
    void setSettings(const QString& settings) override {
        m_log << QStringLiteral("Settings ") + settings;
        m_port.setSettings(settings);
    }
    QString settings() const override { return m_port.settings(); }
    void setDTREnable(bool on) override {
        m_log << QStringLiteral("DTREnable %1").arg(on);
        m_port.setDTREnable(on);
    }
    void setRTSEnable(bool on) override {
        m_log << QStringLiteral("RTSEnable %1").arg(on);
        m_port.setRTSEnable(on);
    }
    void setHandshaking(int mode) override {
        m_log << QStringLiteral("Handshaking %1").arg(mode);
        m_port.setHandshaking(mode);
    }
    void setPortOpen(bool open) override {
        m_log << QStringLiteral("PortOpen %1").arg(open);
        m_port.setPortOpen(open);
    }
    bool portOpen() const override { return m_port.portOpen(); }
    void Output(const QString& text) override { m_port.Output(text); }
    QString Input() override { return m_port.Input(); }
    int InBufferCount() override { return m_port.InBufferCount(); }
    void setInputLen(int length) override { m_port.setInputLen(length); }
    bool waitForInput(int timeoutMs) override { return m_port.waitForInput(timeoutMs); }
    QString devicePath() const override { return m_port.devicePath(); }

private:
    std::unique_ptr<ScriptedPort> m_own;
    ScriptedPort& m_port;
    QStringList& m_log;
};

}  // namespace qelv::test
