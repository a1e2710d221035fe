#pragma once

#include <QStringList>

namespace qelv {

// `qel-v at [--ports DIR] PORT [options] COMMAND`: opens one port, runs one operation of the
// modem-link unit on it and prints the reply. `argsAfterAt` are the arguments after "at".
// Needs a QCoreApplication; returns the exit status (see atverdict.h and atHelpText: 0
// success, 1 failure, 2 bad command line, 3 ERROR-class reply, 4 no answer, 128+N signal N).
int runAtCommand(const QStringList& argsAfterAt);

QString atHelpText();

}  // namespace qelv
