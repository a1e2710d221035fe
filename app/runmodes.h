#pragma once

#include "options.h"

namespace qelv {

// Each runs one mode to its end and returns the exit status. They expect the right kind of
// application object to exist (QApplication for the window, QCoreApplication otherwise).
int runWindow(const Options& options);
int runHeadless(const Options& options);

}  // namespace qelv
