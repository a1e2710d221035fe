#pragma once

namespace qelv {

// Thrown out of waits and pumps once the program has been asked to end (window closed,
// SIGINT, SIGTERM, SIGHUP). It is deliberately not a ModemError: the survey's error rule must
// never absorb it. Whoever catches it releases the port and ends the program.
class ShutdownRequested {
public:
    explicit ShutdownRequested(int exitCode) : m_exitCode(exitCode) {}
    int exitCode() const { return m_exitCode; }

private:
    int m_exitCode;
};

namespace shutdown {
// Async-signal-safe: may be called from a signal handler. The first request wins.
void request(int exitCode) noexcept;
bool requested() noexcept;
int exitCode() noexcept;
// Throws ShutdownRequested when a request is pending.
void throwIfRequested();
// Forgets a request; for tests that run several programs' worth of work in one process.
void reset() noexcept;
}  // namespace shutdown

}  // namespace qelv
