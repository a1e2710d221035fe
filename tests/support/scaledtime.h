#pragma once

#include "eventpump.h"
#include "qteventpump.h"
#include "tickclock.h"

#include <cmath>

namespace qelv::test {

// Milliseconds from `start` to `end` on the wrapping 32-bit tick counter. Unsigned, so that
// the counter's passage from its largest value to its smallest (a machine up for 24.8 days)
// is one more millisecond and not a signed overflow.
inline std::int64_t ticksBetween(std::int32_t start, std::int32_t end) {
    return static_cast<std::uint32_t>(end) - static_cast<std::uint32_t>(start);
}

// Real time run faster: the tick count advances `factor` ms per real ms, and sleeps are
// shortened to match, so a survey's 1000 ms waits cost a tenth of that in a test while
// the port, the event loop and the simulator stay real.
class ScaledClock final : public TickClock {
public:
    explicit ScaledClock(int factor) : m_factor(factor), m_origin(m_real.tickCount()) {}
    std::int32_t tickCount() const override {
        return static_cast<std::int32_t>(ticksBetween(m_origin, m_real.tickCount()) * m_factor);
    }
    int factor() const { return m_factor; }

private:
    SystemTickClock m_real;
    int m_factor;
    std::int32_t m_origin;
};

class ScaledPump final : public EventPump {
public:
    explicit ScaledPump(int factor) : m_factor(factor) {}
    void pumpPending() override { m_real.pumpPending(); }
    void pumpCloseRequests() override { m_real.pumpCloseRequests(); }
    void waitForEvents(std::chrono::milliseconds timeout) override {
        const auto real = (timeout.count() + m_factor - 1) / m_factor;
        m_real.waitForEvents(std::chrono::milliseconds(real));
    }

private:
    QtEventPump m_real;
    int m_factor;
};

}  // namespace qelv::test
