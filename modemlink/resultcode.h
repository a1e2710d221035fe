#pragma once

/// \file
/// classifyResult, the numeric result code of a modem reply.

#include "qelvexport.h"

#include <QString>

namespace qelv {

/// The numeric result code of a modem reply, or -1 when no known result text occurs in it.
/// Matching is by exact, case-sensitive substring; when several texts occur, the one listed
/// last in the result table decides, so "CONNECT9600" beats the plain "CONNECT" it contains.
QELV_EXPORT int classifyResult(const QString& reply);

}  // namespace qelv
