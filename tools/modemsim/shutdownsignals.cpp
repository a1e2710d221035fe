#include "shutdownsignals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace qelv::modemsim {

namespace {

constexpr int kShutdownSignals[] = {SIGTERM, SIGINT, SIGHUP};

volatile sig_atomic_t g_wakeFd = -1;

void onSignal(int) {
    const int savedErrno = errno;
    const char byte = 1;
    if (g_wakeFd >= 0) {
        // A full pipe already holds a wake-up; nothing more to do.
        [[maybe_unused]] const ssize_t written = ::write(g_wakeFd, &byte, 1);
    }
    errno = savedErrno;
}

void setHandler(int signal, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    if (::sigaction(signal, &action, nullptr) != 0)
        throw std::system_error(errno, std::generic_category(), "sigaction");
}

}  // namespace

ShutdownSignals::ShutdownSignals() {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::system_error(errno, std::generic_category(), "pipe2");
    m_readEnd = UniqueFd(ends[0]);
    m_writeEnd = UniqueFd(ends[1]);
    g_wakeFd = m_writeEnd.get();
    setHandler(SIGPIPE, SIG_IGN);
    for (int signal : kShutdownSignals) setHandler(signal, onSignal);
}

ShutdownSignals::~ShutdownSignals() {
    for (int signal : kShutdownSignals) ::signal(signal, SIG_DFL);
    g_wakeFd = -1;
}

}  // namespace qelv::modemsim
