#pragma once

/// \file
/// watchShutdownSignals: SIGINT, SIGTERM and SIGHUP as a request to end the program.

#include "qelvexport.h"

namespace qelv {

/// Turns SIGINT, SIGTERM and SIGHUP into a shutdown request (exit status 128 + the signal's
/// number) and wakes the Qt event loop, so a running wait ends and the port is released by
/// the code that catches ShutdownRequested; a main loop that is idle is ended with that status.
/// Needs a QCoreApplication; call once. Throws std::system_error when the pipe that carries a
/// signal into the event loop cannot be made; nothing is watched then.
QELV_EXPORT void watchShutdownSignals();

}  // namespace qelv
