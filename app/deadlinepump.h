#pragma once

#include "eventpump.h"

#include <QDeadlineTimer>

#include <memory>

namespace qelv {

// Thrown out of a DeadlinePump once its deadline has passed.
struct DeadlinePassed {};

// Gives an operation without a time limit of its own one from outside: every call of the
// wrapped pump first checks the deadline and throws DeadlinePassed once it is over, and no
// wait outlasts it. The unit calls its pump at least every 100 ms while it collects, with
// events or without, so the deadline is kept to that. Unarmed, it only passes calls on.
class DeadlinePump final : public EventPump {
public:
    explicit DeadlinePump(std::unique_ptr<EventPump> inner) : m_inner(std::move(inner)) {}

    void arm(std::chrono::milliseconds limit) { m_deadline = QDeadlineTimer(limit); }
    void pumpPending() override;
    void waitForEvents(std::chrono::milliseconds timeout) override;
    void pumpCloseRequests() override;

private:
    void throwIfPassed() const;

    std::unique_ptr<EventPump> m_inner;
    QDeadlineTimer m_deadline{QDeadlineTimer::Forever};
};

}  // namespace qelv
