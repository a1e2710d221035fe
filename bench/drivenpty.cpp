#include "drivenpty.h"

#include "measure.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

namespace qelv::bench {

DrivenPty::DrivenPty() {
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0)
        throw std::runtime_error("no pseudo-terminal");
    m_slavePath = QString::fromLocal8Bit(::ptsname(m_master));
    m_slave = ::open(::ptsname(m_master), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slave < 0) throw std::runtime_error("cannot open the pseudo-terminal's slave");
    termios raw{};
    ::tcgetattr(m_slave, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(m_slave, TCSANOW, &raw);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
}

DrivenPty::~DrivenPty() {
    stopAnswering();
    ::close(m_master);
    ::close(m_slave);
}

void DrivenPty::startAnswering(QByteArray reply, std::chrono::milliseconds delay) {
    stopAnswering();
    m_reply = std::move(reply);
    m_delay = delay;
    m_stop = false;
    {
        std::lock_guard lock(m_mutex);
        m_times.clear();
    }
    m_thread = std::thread([this] { answer(); });
}

void DrivenPty::stopAnswering() {
    if (!m_thread.joinable()) return;
    m_stop = true;
    m_thread.join();
}

std::vector<double> DrivenPty::answerTimes() const {
    std::lock_guard lock(m_mutex);
    return m_times;
}

void DrivenPty::answer() {
    long answered = 0;
    while (!m_stop) {
        pollfd pfd{m_master, POLLIN, 0};
        if (::poll(&pfd, 1, 20) <= 0) continue;
        char buffer[256];
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n <= 0) continue;
        for (ssize_t i = 0; i < n; ++i) {
            if (buffer[i] != '\n') continue;
            std::this_thread::sleep_for(m_delay + std::chrono::milliseconds(answered % 5));
            ++answered;
            const double at = monotonicMs();
            {
                std::lock_guard lock(m_mutex);
                m_times.push_back(at);
            }
            qsizetype done = 0;
            while (done < m_reply.size()) {
                const ssize_t w = ::write(m_master, m_reply.constData() + done,
                                          static_cast<size_t>(m_reply.size() - done));
                if (w > 0) done += w;
                else if (w < 0 && errno != EAGAIN && errno != EINTR) break;
            }
        }
    }
}

}  // namespace qelv::bench
