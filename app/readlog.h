#pragma once

#include <QStringList>

namespace qelv {

// `qel-v --read-log FILE`: prints the records of a modem log file, device texts escaped.
// `argsAfterOption` must hold exactly the file. Returns the exit status: 1 for a file that
// is missing, unreadable or corrupt, 2 for a bad command line.
int runReadLog(const QStringList& argsAfterOption);

}  // namespace qelv
