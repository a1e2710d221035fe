#include "pty.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

namespace qelv::test {

Pty::Pty() {
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0)
        throw std::runtime_error("no pseudo-terminal");
    m_slavePath = QString::fromLocal8Bit(::ptsname(m_master));
    m_slave = ::open(::ptsname(m_master), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios raw{};
    ::tcgetattr(m_slave, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(m_slave, TCSANOW, &raw);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
}

Pty::~Pty() { vanish(); }

void Pty::vanish() {
    if (m_master >= 0) ::close(m_master);
    if (m_slave >= 0) ::close(m_slave);
    m_master = m_slave = -1;
}

QByteArray Pty::received(std::chrono::milliseconds timeout) {
    QByteArray out;
    pollfd pfd{m_master, POLLIN, 0};
    if (::poll(&pfd, 1, static_cast<int>(timeout.count())) <= 0) return out;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n <= 0) break;
        out.append(buffer, n);
    }
    return out;
}

void Pty::send(const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0 && errno != EAGAIN) throw std::runtime_error("pty write failed");
        if (n > 0) done += n;
    }
}

PortsDir::PortsDir() {
    if (!m_dir.isValid()) throw std::runtime_error("no temporary directory");
}

void PortsDir::link(int n, const QString& target) {
    unlink(n);
    QFile::link(target, QDir(m_dir.path()).filePath(QStringLiteral("com%1").arg(n)));
}

void PortsDir::unlink(int n) { QFile::remove(QDir(m_dir.path()).filePath(QStringLiteral("com%1").arg(n))); }

}  // namespace qelv::test
