#pragma once

#include "report.h"

namespace qelv::bench {

// The in-use checks among a crowd: about 300 extra processes, each holding a few
// descriptors, while findPortUse looks at 16 pseudo-terminals and 16 absent paths, and while
// pass 1 opens and closes 16 pseudo-terminals as the survey does.
void portUseFigures(Report& report);

// The in-use check per open among 4,000 extra processes, as it was (a pass over every
// process's descriptors for each open) and as it is, and `qel-v --list` among them.
void portUseCrowdFigures(Report& report);

}  // namespace qelv::bench
