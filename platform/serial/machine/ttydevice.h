#pragma once

#include <QString>

#include <sys/types.h>

namespace qelv {

// Whether the device number belongs to a tty driver, as <procDir>/tty/drivers lists them
// ("serial /dev/ttyS 4 64-111 serial"). Nobody's open of /dev/null makes it busy; only a
// terminal's users are users. When the list cannot be read every device counts as a tty,
// so that a use is never overlooked.
bool isTtyDevice(dev_t device, const QString& procDir);

}  // namespace qelv
