#pragma once

#include "options.h"

namespace qelv {

// Each runs one mode to its end and returns the exit status. They expect the right kind of
// application object to exist (QApplication for the window, QCoreApplication otherwise).
// With `startAtOnce`, the window starts a survey as soon as it is shown.
int runWindow(const Options& options, bool startAtOnce = false);
// One survey, printed as options.output says (the text table unless Json).
int runHeadless(const Options& options);
// Plays a bench of simulated modems on pseudo-terminals and surveys them: in the window
// when `window`, else printed as options.output says. Maps only the bench's ports, whatever
// $QELV_PORTS says.
int runDemo(const Options& options, bool window);
// --list: the COM map and the facts of each device, opening none.
int runList(const Options& options);

// Whether a window can be shown (a display, and not an offscreen platform).
bool hasDisplay();

}  // namespace qelv
