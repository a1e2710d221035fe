#pragma once

#include "eventpump.h"

namespace qelv {

// Pumps the Qt event loop of the running QCoreApplication (or QApplication). Port data,
// window events, timers and the shutdown signals all wake a waitForEvents.
class QtEventPump final : public EventPump {
public:
    void pumpPending() override;
    void waitForEvents(std::chrono::milliseconds timeout) override;
    void pumpCloseRequests() override;
};

}  // namespace qelv
