#pragma once

#include "eventpump.h"
#include "serialport.h"
#include "tickclock.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <vector>

namespace qelv::test {

// A clock the test moves: ms() is monotonic test time, the tick count starts at `base`
// and wraps like the real one. Every reading may advance time by `stepPerRead`.
class FakeClock final : public TickClock {
public:
    explicit FakeClock(std::int32_t base = 1000) : m_base(base) {}
    std::int32_t tickCount() const override {
        const std::int64_t now = m_ms;
        m_ms += m_stepPerRead;
        ++m_reads;
        return static_cast<std::int32_t>(
            static_cast<std::uint32_t>(static_cast<std::uint64_t>(m_base + now)));
    }
    std::int64_t ms() const { return m_ms; }
    void advance(std::int64_t ms) { m_ms += ms; }
    void setStepPerRead(std::int64_t step) { m_stepPerRead = step; }
    int reads() const { return m_reads; }

private:
    std::int64_t m_base;
    mutable std::int64_t m_ms = 0;
    std::int64_t m_stepPerRead = 0;
    mutable int m_reads = 0;
};

// Sleeping advances the fake clock, up to the next moment something is due (`nextDue`).
class FakePump final : public EventPump {
public:
    explicit FakePump(FakeClock& clock) : m_clock(clock) {}
    void pumpPending() override {
        ++m_pumps;
        if (onPump) onPump();
    }
    void pumpCloseRequests() override {
        ++m_closeChecks;
        if (onCloseCheck) onCloseCheck();
    }
    int closeChecks() const { return m_closeChecks; }
    std::function<void()> onCloseCheck;

    void waitForEvents(std::chrono::milliseconds timeout) override {
        ++m_waits;
        std::int64_t step = timeout.count();
        if (nextDue) {
            const std::int64_t due = nextDue();
            if (due > m_clock.ms() && due - m_clock.ms() < step) step = due - m_clock.ms();
        }
        m_clock.advance(step);
        m_slept += step;
    }
    int pumps() const { return m_pumps; }
    int waits() const { return m_waits; }
    std::int64_t slept() const { return m_slept; }

    std::function<void()> onPump;
    std::function<std::int64_t()> nextDue;

private:
    FakeClock& m_clock;
    int m_pumps = 0;
    int m_waits = 0;
    int m_closeChecks = 0;
    std::int64_t m_slept = 0;
};

// A serial port whose devices are scripts: what arrives when, and what each port answers.
class ScriptedPort final : public SerialPort {
public:
    struct Reply {
        std::int64_t delayMs;
        QString text;
    };
    using Responder = std::function<std::vector<Reply>(const QString& sent)>;

    explicit ScriptedPort(FakeClock& clock) : m_clock(clock), m_shared(std::make_shared<Shared>()) {
        m_shared->ports.insert(this);
    }
    ~ScriptedPort() override { m_shared->ports.erase(this); }
    ScriptedPort(const ScriptedPort&) = delete;
    ScriptedPort& operator=(const ScriptedPort&) = delete;
    // Another port on the same devices, clock and record of what was sent and opened, as a
    // survey that opens several ports at once makes them.
    std::unique_ptr<ScriptedPort> sibling() const {
        return std::unique_ptr<ScriptedPort>(new ScriptedPort(m_clock, m_shared));
    }
    // The first arrival later than `ms` at this port or any sibling, -1 when none.
    std::int64_t nextArrivalAfterAny(std::int64_t ms) const {
        std::int64_t next = -1;
        for (const ScriptedPort* port : m_shared->ports) {
            const std::int64_t due = port->nextArrivalAfter(ms);
            if (due >= 0 && (next < 0 || due < next)) next = due;
        }
        return next;
    }
    // Ports (this one and its siblings) open right now.
    int openNow() const {
        int open = 0;
        for (const ScriptedPort* port : m_shared->ports) open += port->m_open ? 1 : 0;
        return open;
    }

    // Test set-up.
    void addDevice(int port, Responder responder = {}) {
        m_shared->devices[port] = std::move(responder);
    }
    void removeDevice(int port) { m_shared->devices.erase(port); }
    void arriveAt(std::int64_t ms, const QString& text) { m_arrivals.insert({ms, text}); }
    void arriveAfter(std::int64_t delayMs, const QString& text) {
        arriveAt(m_clock.ms() + delayMs, text);
    }
    std::int64_t nextArrival() const { return m_arrivals.empty() ? -1 : m_arrivals.begin()->first; }
    // The first arrival later than `ms`, -1 when none. Text that is already due woke the
    // event loop when it came; left unread, it must not wake every later wait as well.
    std::int64_t nextArrivalAfter(std::int64_t ms) const {
        const auto next = m_arrivals.upper_bound(ms);
        return next == m_arrivals.end() ? -1 : next->first;
    }
    void failOutput(bool fail) { m_failOutput = fail; }
    // Runs at every Input call, after it is counted: lets a test act in the middle of a loop.
    std::function<void()> onInput;
    // Runs at every Output call of this port or a sibling, before the text is taken.
    std::function<void()>& onOutput() { return m_shared->onOutput; }

    // What the test asserts on.
    struct Sent {
        int port;
        QString text;
    };
    const std::vector<Sent>& sent() const { return m_shared->sent; }
    const std::vector<int>& opened() const { return m_shared->opened; }
    // How the line was set at each successful open, and when (test time).
    struct Line {
        int port;
        QString settings;
        bool dtr;
        bool rts;
        int handshaking;
        std::int64_t atMs;
    };
    const std::vector<Line>& openedLines() const { return m_shared->openedLines; }
    int inputCalls() const { return m_inputCalls; }
    // Every Output call on this port or a sibling, including those refused on a closed port.
    int outputCalls() const { return m_shared->outputCalls; }

    void setCommPort(std::int16_t n) override;
    std::int16_t commPort() const override { return m_port; }
    void setSettings(const QString& settings) override { m_settings = settings; }
    QString settings() const override { return m_settings; }
    void setDTREnable(bool on) override { m_dtr = on; }
    void setRTSEnable(bool on) override { m_rts = on; }
    void setHandshaking(int mode) override { m_handshaking = mode; }
    void setPortOpen(bool open) override;
    bool portOpen() const override { return m_open; }
    void Output(const QString& text) override;
    QString Input() override;
    int InBufferCount() override;
    void setInputLen(int length) override { m_inputLen = length; }
    int inputLen() const { return m_inputLen; }
    bool waitForInput(int timeoutMs) override;
    QString devicePath() const override { return {}; }

private:
    struct Shared {
        std::map<int, Responder> devices;
        std::vector<Sent> sent;
        std::vector<int> opened;
        std::vector<Line> openedLines;
        std::set<const ScriptedPort*> ports;
        std::function<void()> onOutput;
        int outputCalls = 0;
    };
    ScriptedPort(FakeClock& clock, std::shared_ptr<Shared> shared)
        : m_clock(clock), m_shared(std::move(shared)) {
        m_shared->ports.insert(this);
    }
    void requireOpen() const;
    void collectDue();

    FakeClock& m_clock;
    std::shared_ptr<Shared> m_shared;
    std::multimap<std::int64_t, QString> m_arrivals;
    QString m_buffer;
    bool m_dtr = false;
    bool m_rts = false;
    int m_handshaking = 0;
    QString m_settings;
    std::int16_t m_port = 1;
    bool m_open = false;
    bool m_failOutput = false;
    int m_inputLen = 0;
    int m_inputCalls = 0;
};

// Clock, pump and port wired together: sleeping wakes at the next arrival.
struct FakeLine {
    FakeClock clock;
    FakePump pump{clock};
    ScriptedPort port{clock};
    explicit FakeLine(std::int32_t tickBase = 1000) : clock(tickBase) {
        pump.nextDue = [this] { return port.nextArrivalAfterAny(clock.ms()); };
    }
};

}  // namespace qelv::test
