#pragma once

#include <QString>
#include <QStringList>

namespace qelv {

// `qel-v check [--ports DIR] PORT [options]`: a monitoring plugin. Opens PORT as `qel-v at`
// does (a port another program uses is left alone), sends one command, waits for the
// expected reply and prints one status line. `argsAfterCheck` are the arguments after
// "check". Needs a QCoreApplication; returns the plugin's status (checkverdict.h): usage
// errors and a request to end are UNKNOWN (3), as monitoring systems expect.
int runCheckCommand(const QStringList& argsAfterCheck);

QString checkHelpText();

}  // namespace qelv
