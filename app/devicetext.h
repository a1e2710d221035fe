#pragma once

#include "devicefacts.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace qelv {

// The facts of a device for people, one fact a line: kind (and UART type), driver, model,
// maker, USB ids, serial number, interface, ModemManager's hint, links, console. What the
// device or udev reports goes through `escape` (the terminal wants escapeForTerminal; a
// tooltip shows it as it is); facts nobody knows are left out.
QStringList describeFacts(const DeviceFacts& facts,
                          const std::function<QString(const QString&)>& escape = {});

}  // namespace qelv
