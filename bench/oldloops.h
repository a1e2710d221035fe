#pragma once

#include "eventpump.h"
#include "serialport.h"
#include "tickclock.h"

#include <QString>

#include <cstdint>

namespace qelv::bench {

// The unit's waits as they were before they learnt to sleep, kept here as the yardstick the
// figures are compared with: every cycle pumps once, reads the port, searches the whole
// reply from its start, reads the clock, and goes round again at once. Nothing caps the
// reply. The tick arithmetic is the unit's own, so both sides end at the same moment.
void busyWaits(TickClock& clock, EventPump& pump, std::int32_t wait);

struct BusyReply {
    QString text;
    long cycles = 0;
};
BusyReply busySendModem(TickClock& clock, EventPump& pump, SerialPort& port, const QString& atstr,
                        std::int32_t wait, const QString& retresult);

// Configures and opens port n the way the survey's passes do.
void openForSurvey(SerialPort& port, std::int16_t n);

}  // namespace qelv::bench
