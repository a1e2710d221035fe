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
