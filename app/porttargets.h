#pragma once

#include "portdirectory.h"

#include <QString>

#include <map>
#include <memory>

namespace qelv {

// The devices the command line names for single COM numbers (--port COMn=TARGET), by number.
using PortTargets = std::map<int, QString>;

// Takes one value of --port, "COMn=TARGET" with n from 1 to 16 and TARGET a device path or a
// well-formed network URL (rfc2217://HOST:PORT, socket://HOST:PORT). Returns why it cannot be
// taken (for a usage error, naming it), empty when it was. Pure.
QString addPortTarget(PortTargets& targets, const QString& value);

// Why `target` cannot name a device (a malformed URL, nothing at all); empty when it can.
QString targetProblem(const QString& target);

// The ports the program maps: the ports directory `dir` (else $QELV_PORTS, else the system's
// devices), with `targets` taking precedence for their COM numbers.
std::shared_ptr<PortDirectory> mappedPorts(const QString& dir, const PortTargets& targets);

}  // namespace qelv
