#include "qteventpump.h"

#include "shutdown.h"

#include <QCoreApplication>
#include <QTimer>

namespace qelv {

void QtEventPump::pumpPending() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    shutdown::throwIfRequested();
}

void QtEventPump::waitForEvents(std::chrono::milliseconds timeout) {
    shutdown::throwIfRequested();
    if (timeout.count() <= 0) return;
    // processEvents has no timeout of its own: WaitForMoreEvents sleeps until some event
    // comes. The timer is that event when nothing else arrives, so the wait never outlasts
    // `timeout`; it is precise because the callers' deadlines are in milliseconds.
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    deadline.start(timeout);
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    shutdown::throwIfRequested();
}

void QtEventPump::pumpCloseRequests() {
    // No processEvents here, whatever its flags: they can hold back input, socket notifiers
    // and timers, but Qt's dispatchers deliver every posted event (queued calls included) on
    // each pass. The request itself needs no event: a signal's handler records it.
    shutdown::throwIfRequested();
}

}  // namespace qelv
