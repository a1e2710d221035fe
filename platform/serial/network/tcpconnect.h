#pragma once

#include "modemerror.h"
#include "networktarget.h"

#include <QString>

#include <chrono>

namespace qelv {

// Why a connection could not be made.
enum class ConnectFailure {
    NoSuchHost,     // the name is not known
    LookupFailed,   // the name could not be looked up (no name server, ...)
    LookupTimeout,  // the lookup took the whole limit
    Refused,        // nothing listens there
    Timeout,        // no answer within the limit
    Unreachable,    // no route to the network or the host
    Other,          // anything else; the system's text tells what
};

// Sorts the errno of a failed connect(); pure.
ConnectFailure classifyConnectErrno(int error);
// Sorts getaddrinfo()'s result code of a failed lookup; pure.
ConnectFailure classifyLookupError(int code);

// The failed open for the user: kPortOpenFailed with the reason in the user's language.
// `limitMs` is the limit that ran out, `detail` the system's own text; both only where the
// reason quotes them. Pure.
ModemError connectError(ConnectFailure failure, const NetworkTarget& target, int limitMs,
                        const QString& detail = {});

// Looks the host up and connects to the first of its addresses that answers, all within
// `limit`, and returns the connected socket's descriptor (non-blocking, close-on-exec,
// without Nagle's delay), which the caller owns. Throws connectError's error when it cannot.
// A request to end the program (shutdown::request) ends the wait within a few
// milliseconds with ShutdownRequested.
int connectTcp(const NetworkTarget& target, std::chrono::milliseconds limit);

}  // namespace qelv
