// Collections on the Qt event loop: with ATCretNotEvent set nothing else of the program
// runs meanwhile, only a request to end gets through; without it, the program's events run.

#include "fakes.h"
#include "mdcomm.h"
#include "qteventpump.h"
#include "shutdown.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>

using namespace qelv;
using namespace qelv::test;

namespace {

// A due timer and a queued call, both set up before the collection starts.
struct PendingWork {
    PendingWork() {
        QTimer::singleShot(0, &context, [this] { timerRan = true; });
        QMetaObject::invokeMethod(
            &context, [this] { queuedRan = true; }, Qt::QueuedConnection);
    }
    QObject context;
    bool timerRan = false;
    bool queuedRan = false;
};

struct QtLoopCollect : ::testing::Test {
    FakeLine line{1000};
    QtEventPump pump;
    Mdcomm unit{line.clock, pump, line.port};
    void SetUp() override {
        line.port.addDevice(1, {});
        line.port.setPortOpen(true);
        // The reply comes after a few looks at the port, however the collection waits.
        line.port.onInput = [this] {
            if (line.port.inputCalls() == 4)
                line.port.arriveAt(line.clock.ms(), QStringLiteral("\r\nOK\r\n"));
        };
    }
    void TearDown() override { shutdown::reset(); }
};

TEST_F(QtLoopCollect, WithoutEventsNoTimerAndNoQueuedCallRunsUntilItEnds) {
    unit.ATCretNotEvent = 1;
    PendingWork pending;
    EXPECT_EQ(unit.ATCret("AT"), "\r\nOK\r\n");
    EXPECT_FALSE(pending.timerRan);
    EXPECT_FALSE(pending.queuedRan);
    QCoreApplication::processEvents();  // held back, not lost
    EXPECT_TRUE(pending.timerRan);
    EXPECT_TRUE(pending.queuedRan);
}

TEST_F(QtLoopCollect, WithEventsTheProgramsTimersAndQueuedCallsRunMeanwhile) {
    PendingWork pending;
    EXPECT_EQ(unit.ATCret("AT"), "\r\nOK\r\n");
    EXPECT_TRUE(pending.timerRan);
    EXPECT_TRUE(pending.queuedRan);
}

TEST_F(QtLoopCollect, WithoutEventsARequestToEndStillEndsIt) {
    unit.ATCretNotEvent = 1;
    PendingWork pending;
    line.port.onInput = [this] {
        if (line.port.inputCalls() == 3) shutdown::request(143);  // what a signal's handler does
    };
    try {
        unit.ATCret("AT");
        ADD_FAILURE() << "did not give way";
    } catch (const ShutdownRequested& request) {
        EXPECT_EQ(request.exitCode(), 143);
    }
    EXPECT_FALSE(pending.timerRan);
    EXPECT_FALSE(pending.queuedRan);
    EXPECT_THROW(pump.pumpCloseRequests(), ShutdownRequested);
    shutdown::reset();
    EXPECT_NO_THROW(pump.pumpCloseRequests());
}

}  // namespace
