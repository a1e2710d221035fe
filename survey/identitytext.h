#pragma once

#include "identity.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace qelv::survey {

// What is known of a device, for people: one fact a line ("メーカー: Quectel（AT）"), each
// with where it came from, then what ModemManager says of it. The device's texts go through
// `escape` (the terminal wants escapeForTerminal; a widget escapes what it shows itself).
// Empty for an identity that knows nothing.
QStringList identityLines(const DeviceIdentity& identity,
                          const std::function<QString(const QString&)>& escape = {});

// The tooltip block of a port whose device is known: a heading, then identityLines.
QString identityNote(const DeviceIdentity& identity);

}  // namespace qelv::survey
