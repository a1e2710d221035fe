#include "pty.h"

#include <QDir>
#include <QFile>

#include <poll.h>
#include <unistd.h>
#include <cerrno>
#include <stdexcept>

namespace qelv::test {

Pty::Pty()
    : m_pty(modemsim::openRawPty()), m_slavePath(QString::fromLocal8Bit(m_pty.slavePath.c_str())) {}

void Pty::vanish() {
    m_pty.master.reset();
    m_pty.slave.reset();
}

QByteArray Pty::received(std::chrono::milliseconds timeout) {
    QByteArray out;
    pollfd pfd{m_pty.master.get(), POLLIN, 0};
    if (::poll(&pfd, 1, static_cast<int>(timeout.count())) <= 0) return out;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_pty.master.get(), buffer, sizeof buffer);
        if (n <= 0) break;
        out.append(buffer, n);
    }
    return out;
}

void Pty::send(const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_pty.master.get(), bytes.constData() + done,
                                  static_cast<size_t>(bytes.size() - done));
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

void PortsDir::unlink(int n) {
    QFile::remove(QDir(m_dir.path()).filePath(QStringLiteral("com%1").arg(n)));
}

}  // namespace qelv::test
