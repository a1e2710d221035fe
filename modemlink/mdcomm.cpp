#include "mdcomm.h"

#include "resultcode.h"
#include "tickspan.h"

#include <stdexcept>

namespace qelv {

namespace {

std::function<std::unique_ptr<Mdcomm>()>& factory() {
    static std::function<std::unique_ptr<Mdcomm>()> s_factory;
    return s_factory;
}

std::unique_ptr<Mdcomm>& globalInstance() {
    static std::unique_ptr<Mdcomm> s_instance;
    return s_instance;
}

}  // namespace

Mdcomm::Mdcomm(TickClock& clock, EventPump& pump, SerialPort& port, LogWriter* logWriter)
    : MSComm1(port), m_clock(clock), m_pump(pump), m_logWriter(logWriter) {}

Mdcomm::Mdcomm(MdcommParts parts)
    : MSComm1(*parts.port),
      m_owned(std::move(parts)),
      m_clock(*m_owned.clock),
      m_pump(*m_owned.pump),
      m_logWriter(m_owned.logWriter.get()) {}

Mdcomm::~Mdcomm() = default;

Mdcomm& Mdcomm::instance() {
    auto& instance = globalInstance();
    if (!instance) {
        if (!factory()) throw std::logic_error("Mdcomm: no factory installed");
        instance = factory()();
    }
    return *instance;
}

bool Mdcomm::exists() {
    return globalInstance() != nullptr;
}

void Mdcomm::installFactory(std::function<std::unique_ptr<Mdcomm>()> make) {
    factory() = std::move(make);
}

void Mdcomm::releaseInstance() {
    auto& instance = globalInstance();
    if (!instance) return;
    closeQuietly(instance->MSComm1);
    instance.reset();
}

std::int32_t Mdcomm::OnTime() const {
    return m_clock.tickCount();
}

void Mdcomm::Waits(const std::int32_t& wait) {
    TickSpan span(OnTime());
    for (;;) {
        m_pump.pumpPending();
        const std::int64_t elapsed = span.elapsed(OnTime());
        if (elapsed >= wait) return;
        m_pump.waitForEvents(TickSpan::sleepBudget(elapsed, wait));
    }
}

void Mdcomm::sleepFor(std::chrono::milliseconds budget, bool pumping) {
    if (pumping) {
        m_pump.waitForEvents(budget);
        return;
    }
    MSComm1.waitForInput(static_cast<int>(budget.count()));
    // Without pumping, a request to end (a signal's) is the one thing let through.
    m_pump.pumpCloseRequests();
}

std::int32_t Mdcomm::ATResultinstr(const QString& dstr) const {
    return classifyResult(dstr);
}

}  // namespace qelv
