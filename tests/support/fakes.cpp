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
    if (!m_shared->devices.count(m_port))
        throw ModemError(errc::kPortOpenFailed, QStringLiteral("no device"), OpenFailure::Absent);
    // As the real port does: an open starts with nothing received, and what a device that
    // was closed meanwhile still had on its way is gone with that device's session.
    m_buffer.clear();
    m_arrivals.clear();
    m_open = true;
    m_shared->opened.push_back(m_port);
    m_shared->openedLines.push_back(
        {m_port, m_settings, m_dtr, m_rts, m_handshaking, m_clock.ms()});
}

void ScriptedPort::requireOpen() const {
    if (!m_open) throw ModemError(errc::kPortNotOpen, QStringLiteral("not open"));
}

void ScriptedPort::Output(const QString& text) {
    ++m_shared->outputCalls;
    requireOpen();
    if (m_failOutput) throw ModemError(errc::kPortIoFailed, QStringLiteral("gone"));
    if (m_shared->onOutput) m_shared->onOutput();
    m_shared->sent.push_back({m_port, text});
    const auto& responder = m_shared->devices[m_port];
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
