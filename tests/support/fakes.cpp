#include "fakes.h"

#include "modemerror.h"

namespace qelv::test {

void ScriptedPort::setCommPort(std::int16_t n) {
    if (m_open) throw ModemError(errc::kPortAlreadyOpen, QStringLiteral("open"));
    m_port = n;
}

void ScriptedPort::setPortOpen(bool open) {
    if (!open) {
        m_open = false;
        return;
    }
    if (m_open) throw ModemError(errc::kPortAlreadyOpen, QStringLiteral("open"));
    if (!m_devices.count(m_port))
        throw ModemError(errc::kPortOpenFailed, QStringLiteral("no device"), OpenFailure::Absent);
    m_open = true;
    m_opened.push_back(m_port);
    m_openedLines.push_back({m_port, m_settings, m_dtr, m_rts, m_handshaking});
}

void ScriptedPort::requireOpen() const {
    if (!m_open) throw ModemError(errc::kPortNotOpen, QStringLiteral("not open"));
}

void ScriptedPort::Output(const QString& text) {
    requireOpen();
    if (m_failOutput) throw ModemError(errc::kPortIoFailed, QStringLiteral("gone"));
    m_sent.push_back({m_port, text});
    const auto& responder = m_devices[m_port];
    if (!responder) return;
    for (const Reply& reply : responder(text)) arriveAfter(reply.delayMs, reply.text);
}

void ScriptedPort::collectDue() {
    while (!m_arrivals.empty() && m_arrivals.begin()->first <= m_clock.ms()) {
        m_buffer += m_arrivals.begin()->second;
        m_arrivals.erase(m_arrivals.begin());
    }
}

QString ScriptedPort::Input() {
    requireOpen();
    ++m_inputCalls;
    if (onInput) onInput();
    collectDue();
    const qsizetype take =
        m_inputLen > 0 ? std::min<qsizetype>(m_inputLen, m_buffer.size()) : m_buffer.size();
    const QString out = m_buffer.left(take);
    m_buffer.remove(0, take);
    return out;
}

int ScriptedPort::InBufferCount() {
    requireOpen();
    collectDue();
    return static_cast<int>(m_buffer.size());
}

bool ScriptedPort::waitForInput(int timeoutMs) {
    requireOpen();
    collectDue();
    if (!m_buffer.isEmpty()) return true;
    const std::int64_t due = nextArrival();
    const std::int64_t step =
        due >= 0 && due - m_clock.ms() < timeoutMs ? due - m_clock.ms() : timeoutMs;
    m_clock.advance(step);
    collectDue();
    return !m_buffer.isEmpty();
}

}  // namespace qelv::test
