#pragma once

#include "atverdict.h"

#include <QString>

namespace qelv {

// What `qel-v at` prints of an ending on standard output: "reply: ..." (escaped for the
// terminal) and "code: N" lines, or with `json` one line {"reply": "...", "code": N} whose
// reply is exact and null for attrue.
QString renderAtEnding(const AtEnding& ending, bool json);

}  // namespace qelv
