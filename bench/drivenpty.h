#pragma once

#include "modemsim/pty.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <mutex>
#include <thread>
#include <vector>

namespace qelv::bench {

// A pseudo-terminal whose device side the bench plays from a thread of its own, so it knows
// to the microsecond when an answer went onto the line. Its own slave descriptor stays open
// so the line never hangs up while the port is closed.
class DrivenPty {
public:
    DrivenPty();
    ~DrivenPty();
    DrivenPty(const DrivenPty&) = delete;
    DrivenPty& operator=(const DrivenPty&) = delete;

    const QString& slavePath() const { return m_slavePath; }

    // From now on every line that arrives is answered with `reply`, written in one piece
    // `delay` (plus 0..4 ms, varied so the answers do not fall in step with anything) after
    // the line's LF, while the reader is asleep.
    void startAnswering(QByteArray reply, std::chrono::milliseconds delay);
    void stopAnswering();
    // CLOCK_MONOTONIC ms just before each answer's write, in order.
    std::vector<double> answerTimes() const;

private:
    void answer();

    modemsim::RawPty m_pty;
    QString m_slavePath;
    QByteArray m_reply;
    std::chrono::milliseconds m_delay{0};
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::vector<double> m_times;
};

}  // namespace qelv::bench
