#include "signalwatch.h"

#include "shutdown.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <system_error>

namespace qelv {

namespace {

int g_wakeFds[2] = {-1, -1};

void onSignal(int signal) {
    // The interrupted code may be about to read errno from a call of its own.
    const int savedErrno = errno;
    shutdown::request(128 + signal);
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_wakeFds[1], &byte, 1);
    errno = savedErrno;
}

}  // namespace

void watchShutdownSignals() {
    if (g_wakeFds[0] >= 0) return;
    if (::pipe2(g_wakeFds, O_CLOEXEC | O_NONBLOCK) != 0) {
        // Without the pipe a signal could not wake the event loop, and Ctrl-C would leave a
        // port held until the next look at the clock, or forever in an idle window.
        const int error = errno;
        g_wakeFds[0] = g_wakeFds[1] = -1;
        throw std::system_error(error, std::generic_category(), "signal wake-up pipe");
    }
    auto* notifier =
        new QSocketNotifier(g_wakeFds[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] {
        char buffer[16];
        while (::read(g_wakeFds[0], buffer, sizeof buffer) > 0) {
        }
        // Idle in the main loop: end it. Inside a wait, the wait throws on its own.
        QCoreApplication::exit(shutdown::exitCode());
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
}

}  // namespace qelv
