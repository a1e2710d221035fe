#include "outputdrain.h"

#include <QSerialPort>

#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <cerrno>

#include <algorithm>
#include <thread>

namespace qelv {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// The kernel says how much it holds but cannot wake us when it empties; this is how often
// it is asked again.
constexpr milliseconds kQueueLook{2};

qint64 kernelQueue(int fd) {
    int held = 0;
    // A device that cannot say (not a tty driver with a queue) holds nothing we could wait for.
    if (::ioctl(fd, TIOCOUTQ, &held) != 0) return 0;
    return std::max(held, 0);
}

// Qt writes its buffer only from the event loop or its own waits, and its waits also read
// input, which stops working once the bounded read buffer is full; so write and poll here.
bool drainQtBuffer(QSerialPort& port, int fd, Clock::time_point deadline) {
    for (;;) {
        port.flush();
        if (port.bytesToWrite() == 0) return true;
        const int left = msUntil(deadline);
        if (left == 0) return false;
        pollfd writable{fd, POLLOUT, 0};
        const int ready = ::poll(&writable, 1, left);
        if (ready < 0 && errno != EINTR) return false;
        // A device that is gone reports itself writable for ever and takes nothing.
        if (ready > 0 && (writable.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) return false;
    }
}

bool drainKernelQueue(int fd, Clock::time_point deadline) {
    while (kernelQueue(fd) > 0) {
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(kQueueLook);
    }
    return true;
}

}  // namespace

bool drainOutput(QSerialPort& port, int baudRate) {
    const int fd = static_cast<int>(port.handle());
    if (fd < 0) return true;
    const qint64 pending = port.bytesToWrite() + kernelQueue(fd);
    if (pending == 0) return true;
    const auto deadline = Clock::now() + drainBound(pending, baudRate);
    const bool drained = drainQtBuffer(port, fd, deadline) && drainKernelQueue(fd, deadline);
    port.clearError();
    return drained;
}

}  // namespace qelv
