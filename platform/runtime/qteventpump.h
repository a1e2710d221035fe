#pragma once

/// \file
/// QtEventPump, the event pump of a Qt program.

#include "eventpump.h"
#include "qelvexport.h"

namespace qelv {

/// Pumps the Qt event loop of the running QCoreApplication (or QApplication). Port data,
/// window events, timers and the shutdown signals all wake a waitForEvents.
class QELV_EXPORT QtEventPump final : public EventPump {
public:
    void pumpPending() override;
    void waitForEvents(std::chrono::milliseconds timeout) override;
    void pumpCloseRequests() override;
};

}  // namespace qelv
