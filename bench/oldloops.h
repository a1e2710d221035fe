#pragma once

#include "eventpump.h"
#include "serialport.h"
#include "tickclock.h"

#include <QString>

#include <QList>

#include <sys/types.h>

#include <cstdint>
#include <vector>

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

// The in-use check's look for other holders as it was for every open more than 100 ms after
// the last one: a pass over every process's descriptors, then each user it names looked at
// again on its own.
QList<qint64> oldDeviceUsers(dev_t device);

// --list's look for other holders of its ports as it was: one device after another, each
// served by a pass that began less than 100 ms before and has not been asked about it, else
// by a new pass. Returns how many were found in use.
int oldListUsers(const std::vector<dev_t>& devices);

// Configures and opens port n the way the survey's passes do.
void openForSurvey(SerialPort& port, std::int16_t n);

}  // namespace qelv::bench
