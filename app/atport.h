#pragma once

#include "atrequest.h"
#include "serialport.h"

namespace qelv {

// Opens `port` (its number already chosen) the way `qel-v at` does: the request's line
// settings, DTR and RTS raised, no flow control. A failed open throws the port's ModemError
// with its number and kind kept and a message that names the port as the user gave it (and
// the device it leads to, when that differs).
void openAtPort(SerialPort& port, const AtRequest& request);

}  // namespace qelv
