#include "oldloops.h"

#include "procholders.h"
#include "surveytexts.h"
#include "tickspan.h"

#include <chrono>
#include <set>

namespace qelv::bench {

void busyWaits(TickClock& clock, EventPump& pump, std::int32_t wait) {
    TickSpan span(clock.tickCount());
    do {
        pump.pumpPending();
    } while (span.elapsed(clock.tickCount()) < wait);
}

BusyReply busySendModem(TickClock& clock, EventPump& pump, SerialPort& port, const QString& atstr,
                        std::int32_t wait, const QString& retresult) {
    const QString stopText = retresult + QStringLiteral("\r\n");
    port.Output(atstr + QStringLiteral("\r\n"));
    TickSpan span(clock.tickCount());
    BusyReply reply;
    for (;;) {
        ++reply.cycles;
        pump.pumpPending();
        reply.text += port.Input();
        if (reply.text.contains(stopText)) break;
        if (span.elapsed(clock.tickCount()) >= wait) break;
    }
    return reply;
}

QList<qint64> oldDeviceUsers(dev_t device) {
    const QString proc = QStringLiteral("/proc");
    QList<qint64> users;
    for (const qint64 pid : holdersIn(scanDescriptors(proc), device).users)
        if (stillUses(pid, device, proc)) users << pid;
    return users;
}

int oldListUsers(const std::vector<dev_t>& devices) {
    using Clock = std::chrono::steady_clock;
    const QString proc = QStringLiteral("/proc");
    Clock::time_point taken;
    std::set<dev_t> asked;
    DescriptorTable table;
    bool made = false;
    int found = 0;
    for (const dev_t device : devices) {
        if (made && Clock::now() - taken < std::chrono::milliseconds(100) && !asked.count(device)) {
            scanNewProcesses(proc, table);
        } else {
            taken = Clock::now();
            asked.clear();
            table = scanDescriptors(proc);
            made = true;
        }
        asked.insert(device);
        for (const qint64 pid : holdersIn(table, device).users)
            if (stillUses(pid, device, proc)) ++found;
    }
    return found;
}

void openForSurvey(SerialPort& port, std::int16_t n) {
    port.setCommPort(n);
    port.setSettings(survey::kLineSettings);
    port.setDTREnable(true);
    port.setRTSEnable(true);
    port.setHandshaking(0);
    port.setPortOpen(true);
}

}  // namespace qelv::bench
