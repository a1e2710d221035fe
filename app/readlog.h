#pragma once

#include <QString>

namespace qelv {

// `qel-v --read-log FILE`: prints the records of the modem log file `path`, device texts
// escaped. Returns the exit status: 1 for a file that is missing, unreadable or corrupt.
int runReadLog(const QString& path);

}  // namespace qelv
