#include "tcppeer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>

#include <stdexcept>

namespace qelv::test {

namespace {

using Clock = std::chrono::steady_clock;

sockaddr_in loopback(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

int listenOn(std::uint16_t& port, int backlog) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = loopback(0);
    socklen_t size = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        ::listen(fd, backlog) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        throw std::runtime_error("cannot listen on 127.0.0.1");
    port = ntohs(address.sin_port);
    return fd;
}

QString urlFor(const char* scheme, std::uint16_t port) {
    return QStringLiteral("%1://127.0.0.1:%2").arg(QLatin1String(scheme)).arg(port);
}

}  // namespace

TcpPeer::TcpPeer(Play play) : m_listener(listenOn(m_port, 1)) {
    m_thread = std::thread([this, play = std::move(play)] {
        pollfd waiting{m_listener, POLLIN, 0};
        if (::poll(&waiting, 1, 10000) <= 0 || !(waiting.revents & POLLIN)) return;
        const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) return;
        play(fd);
        ::close(fd);
    });
}

TcpPeer::~TcpPeer() {
    // Wakes a thread still waiting for its connection.
    ::shutdown(m_listener, SHUT_RDWR);
    m_thread.join();
    ::close(m_listener);
}

QString TcpPeer::url(const char* scheme) const {
    return urlFor(scheme, m_port);
}

SilentListener::SilentListener(bool full) : m_listener(listenOn(m_port, 0)) {
    if (!full) return;
    m_filler = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in address = loopback(m_port);
    ::connect(m_filler, reinterpret_cast<const sockaddr*>(&address), sizeof address);
}

SilentListener::~SilentListener() {
    if (m_filler >= 0) ::close(m_filler);
    ::close(m_listener);
}

QString SilentListener::url(const char* scheme) const {
    return urlFor(scheme, m_port);
}

bool SilentListener::connectionWaiting() const {
    pollfd waiting{m_listener, POLLIN, 0};
    return ::poll(&waiting, 1, 0) > 0;
}

std::uint16_t closedPort() {
    std::uint16_t port = 0;
    ::close(listenOn(port, 1));
    return port;
}

QByteArray readUntil(int fd, const std::function<bool(const QByteArray&)>& done,
                     std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    QByteArray got;
    while (!done(got)) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) break;
        pollfd readable{fd, POLLIN, 0};
        if (::poll(&readable, 1, static_cast<int>(left.count())) <= 0) continue;
        char buffer[4096];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) break;
        got.append(buffer, n);
    }
    return got;
}

void writeAll(int fd, const QByteArray& bytes) {
    qsizetype sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + sent, bytes.size() - sent);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        sent += n;
    }
}

}  // namespace qelv::test
