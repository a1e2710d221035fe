#pragma once

#include "report.h"

#include <QStringList>

namespace qelv::bench {

// A whole survey against a device that sends as fast as a pseudo-terminal takes from the
// moment it exists (socat reading /dev/urandom), with the port's read buffer bounded as the
// program has it and, as the yardstick, unbounded as it once was. Each runs in a child
// process so that its peak resident set is its own. Adds its rows to `report`.
void floodSurveyFigures(Report& report);

// The child side: --urandom-probe bounded|unbounded DIR. Surveys DIR (its com1 floods), then
// asks the program to end in the middle of a second survey's settling wait and times how
// long the port takes to be released. Prints one key=value line.
int runUrandomProbe(const QStringList& args, int argc, char** argv);

}  // namespace qelv::bench
