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

}  // namespace qelv
