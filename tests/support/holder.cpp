#include "holder.h"

#include <QFile>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <csignal>
#include <stdexcept>
#include <vector>

namespace qelv::test {

namespace {

constexpr int kHighestFd = 1024;

// Only async-signal-safe calls: the parent has threads.
[[noreturn]] void runChild(const std::vector<int>& keep, const char* path, bool exclusive,
                           int ready) {
    for (int fd = 3; fd < kHighestFd; ++fd)
        if (fd != ready && std::find(keep.begin(), keep.end(), fd) == keep.end()) ::close(fd);
    if (path) {
        const int fd = ::open(path, O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (exclusive && fd >= 0) ::ioctl(fd, TIOCEXCL);
    }
    [[maybe_unused]] auto written = ::write(ready, "x", 1);
    for (;;) ::pause();
}

}  // namespace

Holder::Holder(std::initializer_list<int> keep, const QString& path, bool exclusive) {
    const std::vector<int> fds(keep);
    const QByteArray native = QFile::encodeName(path);
    int ready[2];
    if (::pipe(ready) != 0) throw std::runtime_error("pipe");
    m_pid = ::fork();
    if (m_pid == 0)
        runChild(fds, path.isEmpty() ? nullptr : native.constData(), exclusive, ready[1]);
    ::close(ready[1]);
    char c;
    [[maybe_unused]] auto got = ::read(ready[0], &c, 1);
    ::close(ready[0]);
    if (m_pid < 0) throw std::runtime_error("fork");
}

Holder::~Holder() {
    kill();
}

void Holder::kill() {
    if (m_pid <= 0) return;
    ::kill(m_pid, SIGKILL);
    ::waitpid(m_pid, nullptr, 0);
    m_pid = -1;
}

}  // namespace qelv::test
