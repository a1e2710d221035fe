#include "signalwatch.h"

#include "shutdown.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace qelv {

namespace {

int g_wakeFds[2] = {-1, -1};

void onSignal(int signal) {
    shutdown::request(128 + signal);
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_wakeFds[1], &byte, 1);
}

}  // namespace

void watchShutdownSignals() {
    if (g_wakeFds[0] >= 0) return;
    if (::pipe2(g_wakeFds, O_CLOEXEC | O_NONBLOCK) != 0) return;
    auto* notifier = new QSocketNotifier(g_wakeFds[0], QSocketNotifier::Read, QCoreApplication::instance());
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
