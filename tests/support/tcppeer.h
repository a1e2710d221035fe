#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>
#include <thread>

namespace qelv::test {

// A TCP server on 127.0.0.1 at a port the kernel picks, played by a thread of the test: it
// accepts one connection, runs `play` on its descriptor (blocking calls are fine) and closes
// it. For servers that misbehave in ways no real one can be made to.
class TcpPeer {
public:
    using Play = std::function<void(int fd)>;
    explicit TcpPeer(Play play);
    ~TcpPeer();
    TcpPeer(const TcpPeer&) = delete;
    TcpPeer& operator=(const TcpPeer&) = delete;

    std::uint16_t port() const { return m_port; }
    // SCHEME://127.0.0.1:PORT
    QString url(const char* scheme) const;

private:
    std::uint16_t m_port = 0;  // before m_listener: listening sets it
    int m_listener = -1;
    std::thread m_thread;
};

// A listening socket on 127.0.0.1 that never accepts: the kernel completes the connection and
// nothing ever answers. With `full`, its queue is already taken by a connection of its own, so
// the next connect is never completed at all.
class SilentListener {
public:
    explicit SilentListener(bool full = false);
    ~SilentListener();
    SilentListener(const SilentListener&) = delete;
    SilentListener& operator=(const SilentListener&) = delete;

    std::uint16_t port() const { return m_port; }
    QString url(const char* scheme) const;
    // Whether a connection is waiting to be accepted (always, for a full one).
    bool connectionWaiting() const;

private:
    std::uint16_t m_port = 0;  // before m_listener: listening sets it
    int m_listener = -1;
    int m_filler = -1;
};

// A port on 127.0.0.1 where nothing listens: a connect there is refused.
std::uint16_t closedPort();

// What arrives on `fd` until `done` says enough or `limit` passes.
QByteArray readUntil(int fd, const std::function<bool(const QByteArray&)>& done,
                     std::chrono::milliseconds limit);
void writeAll(int fd, const QByteArray& bytes);

}  // namespace qelv::test
