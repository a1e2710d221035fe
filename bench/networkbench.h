#pragma once

#include "report.h"

namespace qelv::bench {

// Network ports through Debian's ser2net on 127.0.0.1 against the same devices on local
// pseudo-terminals, side by side: sixteen Hayes modems surveyed with --parallel over
// RFC 2217 and locally, and one exchange's delay from the stop text to SendModem returning
// over RFC 2217 and locally. Adds its rows to `report`. About half a minute.
void networkFigures(Report& report);

}  // namespace qelv::bench
