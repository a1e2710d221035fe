#pragma once

#include <chrono>

namespace qelv {

// The single-threaded program's way of letting window events, port notifications and
// requests to end run while an operation waits.
class EventPump {
public:
    virtual ~EventPump() = default;

    // Processes every event that is pending now, then returns without blocking.
    // Throws ShutdownRequested (shutdown.h) when the program has been asked to end.
    virtual void pumpPending() = 0;

    // Blocks until an event is pending or `timeout` has passed, whichever comes first, and
    // may process the events that woke it. A zero timeout returns at once. It may return
    // early for any event; callers re-check their own condition and come back.
    // Throws ShutdownRequested like pumpPending().
    virtual void waitForEvents(std::chrono::milliseconds timeout) = 0;

    // For loops that must not run the program's events: lets a request to end through
    // (closing the window, a signal) and throws ShutdownRequested for it. No user input and
    // no port notification is handled; window-system events such as a repaint may be.
    // Never blocks.
    virtual void pumpCloseRequests() = 0;
};

}  // namespace qelv
