#pragma once

#include "report.h"

namespace qelv::bench {

// The in-use checks among a crowd: about 300 extra processes, each holding a few
// descriptors, while findPortUse looks at 16 pseudo-terminals and 16 absent paths, and while
// pass 1 opens and closes 16 pseudo-terminals as the survey does.
void portUseFigures(Report& report);

}  // namespace qelv::bench
