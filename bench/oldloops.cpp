#include "oldloops.h"

#include "surveytexts.h"
#include "tickspan.h"

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

void openForSurvey(SerialPort& port, std::int16_t n) {
    port.setCommPort(n);
    port.setSettings(survey::kLineSettings);
    port.setDTREnable(true);
    port.setRTSEnable(true);
    port.setHandshaking(0);
    port.setPortOpen(true);
}

}  // namespace qelv::bench
