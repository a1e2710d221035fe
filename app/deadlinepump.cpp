#include "deadlinepump.h"

#include <algorithm>

namespace qelv {

void DeadlinePump::throwIfPassed() const {
    if (m_deadline.hasExpired()) throw DeadlinePassed{};
}

void DeadlinePump::pumpPending() {
    m_inner->pumpPending();
    throwIfPassed();
}

void DeadlinePump::waitForEvents(std::chrono::milliseconds timeout) {
    throwIfPassed();
    if (!m_deadline.isForever())
        timeout = std::min(timeout, std::chrono::milliseconds(m_deadline.remainingTime()));
    m_inner->waitForEvents(timeout);
    throwIfPassed();
}

void DeadlinePump::pumpCloseRequests() {
    m_inner->pumpCloseRequests();
    throwIfPassed();
}

}  // namespace qelv
