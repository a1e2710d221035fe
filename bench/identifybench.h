#pragma once

#include "report.h"

namespace qelv::bench {

// The identification step on the modem simulator's pseudo-terminals: sixteen devices of
// mixed kinds surveyed with --parallel, with and without --identify; and a one-port-at-a-time
// survey with --identify whose step is timed against the time its devices take to answer
// plus the limits of the questions nobody answered. About a minute and a half.
void identifyFigures(Report& report);

}  // namespace qelv::bench
