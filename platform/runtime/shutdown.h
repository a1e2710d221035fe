#pragma once

/// \file
/// ShutdownRequested and the request to end the program.

#include "qelvexport.h"

namespace qelv {

/// Thrown out of waits and pumps once the program has been asked to end (window closed,
/// SIGINT, SIGTERM, SIGHUP). It is deliberately not a ModemError: the survey's error rule must
/// never absorb it. Whoever catches it releases the port and ends the program.
class QELV_EXPORT ShutdownRequested {
public:
    /// Ends the program with `exitCode`.
    explicit ShutdownRequested(int exitCode) : m_exitCode(exitCode) {}
    /// The status the program ends with.
    int exitCode() const { return m_exitCode; }

private:
    int m_exitCode;
};

/// The one request to end the program, shared by the signal handlers, the window and the
/// waits.
namespace shutdown {
/// Async-signal-safe: may be called from a signal handler. The first request wins.
QELV_EXPORT void request(int exitCode) noexcept;
/// Whether the program has been asked to end. Async-signal-safe.
QELV_EXPORT bool requested() noexcept;
/// The status asked for (a negative one becomes 1); 0 while no request is pending.
QELV_EXPORT int exitCode() noexcept;
/// Throws ShutdownRequested when a request is pending.
QELV_EXPORT void throwIfRequested();
/// Forgets a request; for tests that run several programs' worth of work in one process.
QELV_EXPORT void reset() noexcept;
}  // namespace shutdown

}  // namespace qelv
