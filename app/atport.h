#pragma once

#include "serialport.h"

#include <QString>

namespace qelv {

// Opens `port` (its number already chosen) the way `qel-v at` and `qel-v check` do: line
// `settings`, DTR and RTS raised, no flow control. A failed open throws the port's
// ModemError with its number and kind kept and a message that names the port as the user
// gave it (`name`), and the device it leads to when that differs.
void openAtPort(SerialPort& port, const QString& name, const QString& settings);

}  // namespace qelv
