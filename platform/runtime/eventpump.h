#pragma once

/// \file
/// EventPump, what runs the program's events while an operation waits.

#include "qelvexport.h"

#include <chrono>

namespace qelv {

/// The single-threaded program's way of letting window events, port notifications and
/// requests to end run while an operation waits.
class QELV_EXPORT EventPump {
public:
    virtual ~EventPump() = default;

    /// Processes every event that is pending now, then returns without blocking.
    /// Throws ShutdownRequested (shutdown.h) when the program has been asked to end.
    virtual void pumpPending() = 0;

    /// Blocks until an event is pending or `timeout` has passed, whichever comes first, and
    /// may process the events that woke it. A zero timeout returns at once. It may return
    /// early for any event; callers re-check their own condition and come back.
    /// Throws ShutdownRequested like pumpPending().
    virtual void waitForEvents(std::chrono::milliseconds timeout) = 0;

    /// For loops that must not run the program's events: throws ShutdownRequested once the
    /// program has been asked to end, and runs nothing at all: no timer, no posted event or
    /// queued call, no input, no port notification, no repaint. A signal's request is seen at
    /// once; the window's close is itself an event, seen when events run again (the window
    /// never collects without events). Never blocks.
    virtual void pumpCloseRequests() = 0;
};

}  // namespace qelv
