#pragma once

#include "options.h"

namespace qelv {

// Each runs one mode to its end and returns the exit status. They expect the right kind of
// application object to exist (QApplication for the window, QCoreApplication otherwise).
// With `startAtOnce`, the window starts a survey as soon as it is shown.
int runWindow(const Options& options, bool startAtOnce = false);
int runHeadless(const Options& options);
// Plays a bench of simulated modems on pseudo-terminals and surveys them: in the window
// when `window`, else as the text table.
int runDemo(const Options& options, bool window);

// Whether a window can be shown (a display, and not an offscreen platform).
bool hasDisplay();

}  // namespace qelv
