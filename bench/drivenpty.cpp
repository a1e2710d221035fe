#include "drivenpty.h"

#include "measure.h"

#include <poll.h>
#include <unistd.h>
#include <cerrno>

namespace qelv::bench {

DrivenPty::DrivenPty()
    : m_pty(modemsim::openRawPty()), m_slavePath(QString::fromLocal8Bit(m_pty.slavePath.c_str())) {}

DrivenPty::~DrivenPty() {
    stopAnswering();
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
        pollfd pfd{m_pty.master.get(), POLLIN, 0};
        if (::poll(&pfd, 1, 20) <= 0) continue;
        char buffer[256];
        const ssize_t n = ::read(m_pty.master.get(), buffer, sizeof buffer);
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
                const ssize_t w = ::write(m_pty.master.get(), m_reply.constData() + done,
                                          static_cast<size_t>(m_reply.size() - done));
                if (w > 0)
                    done += w;
                else if (w < 0 && errno != EAGAIN && errno != EINTR)
                    break;
            }
        }
    }
}

}  // namespace qelv::bench
