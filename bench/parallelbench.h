#pragma once

#include "report.h"

namespace qelv::bench {

// Whole surveys one port at a time against surveys with --parallel, side by side on the
// modem simulator's pseudo-terminals: sixteen silent ports, sixteen that answer "OK" without
// its line end, and sixteen Hayes modems. Adds its rows to `report`. About two and a half
// minutes, most of it the one-port-at-a-time surveys.
void parallelFigures(Report& report);

}  // namespace qelv::bench
