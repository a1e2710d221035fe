#pragma once

#include "identity.h"

#include <QJsonValue>

namespace qelv {

// An identity in the JSON outputs, or null when nothing is known:
// {"manufacturer": S, "model": S, "revision": S, "serial": S, "speed": N,
//  "sources": {"manufacturer": "at" | "modemmanager" | "usb", ...},
//  "modemmanager": null | {"plugin": S, "state": S, "port_role": S}}
// A fact nobody knows is null and has no source.
QJsonValue identityJson(const DeviceIdentity& identity);

}  // namespace qelv
