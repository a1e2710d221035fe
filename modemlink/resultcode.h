#pragma once

#include <QString>

namespace qelv {

// The numeric result code of a modem reply, or -1 when no known result text occurs in it.
// Matching is by exact, case-sensitive substring; when several texts occur, the one listed
// last in the result table decides, so "CONNECT9600" beats the plain "CONNECT" it contains.
int classifyResult(const QString& reply);

}  // namespace qelv
