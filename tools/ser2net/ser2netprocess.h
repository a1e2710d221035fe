#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>

namespace qelv {

// Debian's ser2net (4.x) for a test or the bench: one process serving one device on
// 127.0.0.1, at a port the kernel picks, with a configuration of its own (no file of the
// machine's is read, no UUCP lock is taken). It ends with the process that started it.
//
// The device must outlive the server: stop() (or the destructor) before letting it go.
class Ser2netProcess {
public:
    struct Config {
        std::string device;                      // what ser2net opens, e.g. a pty's slave
        bool rfc2217 = true;                     // telnet with RFC 2217, else plain TCP
        std::string lineSettings = "115200n81";  // ser2net's own setting for the device
        // ser2net waits two characters' time (1 to 20 ms) before it passes the device's
        // bytes on, to fill its packets; false sends them at once.
        bool charDelay = true;
    };

    // Starts ser2net and waits up to 5 s until it listens. Throws std::runtime_error when it
    // is not installed, does not start or does not listen.
    explicit Ser2netProcess(const Config& config);
    ~Ser2netProcess();
    Ser2netProcess(const Ser2netProcess&) = delete;
    Ser2netProcess& operator=(const Ser2netProcess&) = delete;

    std::uint16_t port() const { return m_port; }
    // rfc2217://127.0.0.1:PORT or socket://127.0.0.1:PORT.
    std::string url() const;
    // Ends ser2net and waits for it. Safe to call twice.
    void stop();

private:
    void start(const Config& config);
    void waitForListening();

    bool m_rfc2217 = true;
    pid_t m_pid = -1;
    std::uint16_t m_port = 0;
};

}  // namespace qelv
