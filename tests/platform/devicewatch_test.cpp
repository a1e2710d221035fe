// The device watch: one signal per batch of events, and udev's source never blocking.

#include "devicewatch.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <fcntl.h>
#include <unistd.h>
#include <chrono>

using namespace qelv;

namespace {

// Three events waiting at once, as a USB adapter's arrival sends them.
class ThreeEvents final : public DeviceEventSource {
public:
    ThreeEvents() {
        if (::pipe2(m_pipe, O_NONBLOCK | O_CLOEXEC) != 0) return;
        (void)!::write(m_pipe[1], "eee", 3);
    }
    ~ThreeEvents() override {
        ::close(m_pipe[0]);
        ::close(m_pipe[1]);
    }
    int descriptor() const override { return m_pipe[0]; }
    std::optional<DeviceEvent> next() override {
        char byte = 0;
        if (::read(m_pipe[0], &byte, 1) != 1) return std::nullopt;
        ++taken;
        return DeviceEvent{QStringLiteral("add"), QStringLiteral("/dev/ttyUSB0")};
    }
    int taken = 0;

private:
    int m_pipe[2] = {-1, -1};
};

TEST(DeviceWatch, EventsWaitingTogetherAreOneChange) {
    auto* source = new ThreeEvents;
    DeviceWatch watch{std::unique_ptr<DeviceEventSource>(source)};
    int changes = 0;
    QObject::connect(&watch, &DeviceWatch::devicesChanged, [&] { ++changes; });
    QElapsedTimer waited;
    waited.start();
    while (changes == 0 && waited.elapsed() < 1000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QCoreApplication::processEvents();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(source->taken, 3);
    DeviceWatch deaf{nullptr};  // no source: nothing to hear, nothing to fail
}

// Reading must never hold up the window's event loop, whether or not udev is running here.
TEST(DeviceWatch, UdevsSourceNeverBlocks) {
    const auto source = udevTtyEvents();
    if (!source) GTEST_SKIP() << "udev cannot be listened to here";
    EXPECT_GE(source->descriptor(), 0);
    const auto start = std::chrono::steady_clock::now();
    while (source->next()) {
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
}

}  // namespace
