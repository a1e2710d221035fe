// The timed exchange: send one command, collect until a stop text or a time limit.

#include "mdcomm.h"

#include "replytext.h"
#include "stopscanner.h"
#include "tickspan.h"

namespace qelv {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// The result texts that end SendModemReBack, each with CR LF after it; "LINE OFF " with
// CR LF before it. There is deliberately no "NO ANSWER", and the spaced CONNECT forms stop
// only at these ten speeds.
std::vector<QString> reBackStopTexts() {
    static const char* const kWords[] = {
        "OK", "CONNECT", "RING", "NO CARRIER", "ERROR", "CONNECT1200", "BUSY", "CONNECT2400",
        "CONNECT4800", "CONNECT9600", "CONNECT14400", "CONNECT19200", "CONNECT57600",
        "CONNECT64000", "CONNECT32000", "CONNECT28800", "CONNECT38400", "COMPRESSION:V.42bis",
        "COMPRESSION:NONE", "PROTOCOL:PIAFS", "CONNECT 2400", "CONNECT 4800", "CONNECT 9600",
        "CONNECT 19200", "CONNECT 38400", "CONNECT 57600", "CONNECT 64000", "CONNECT 115200",
        "CONNECT 128000", "CONNECT 230400", "DELAYED"};
    std::vector<QString> texts;
    for (const char* word : kWords) texts.push_back(QLatin1String(word) + kCrLf);
    texts.push_back(kCrLf + QStringLiteral("LINE OFF "));
    return texts;
}

}  // namespace

QString Mdcomm::SendModem(const QString& atstr, const std::int32_t& wait,
                          const QString& retresult) {
    StopScanner stop({retresult + kCrLf});
    return exchange(atstr + kCrLf, wait, stop, false);
}

QString Mdcomm::SendModemNotCR(const QString& atstr, const std::int32_t& wait,
                               const QString& retresult) {
    StopScanner stop({retresult + kCrLf});
    return exchange(atstr, wait, stop, false);
}

QString Mdcomm::SendModemReBack(const QString& atstr, const std::int32_t& wait) {
    StopScanner stop(reBackStopTexts());
    return exchange(atstr + kCrLf, wait, stop, true);
}

QString Mdcomm::exchange(const QString& sent, std::int32_t wait, StopScanner& stop,
                         bool reBackRules) {
    MSComm1.Output(sent);
    TickSpan span(OnTime());
    ReplyText reply(kReplyCap);
    // "NO CARRIER" anywhere, once the reply ends with CR LF, also stops a ReBack exchange.
    StopScanner noCarrier({QStringLiteral("NO CARRIER")});
    for (;;) {
        m_pump.pumpPending();
        const QString piece = MSComm1.Input();
        reply.append(piece);
        bool stopped = stop.feed(piece);
        if (reBackRules) {
            const bool sawNoCarrier = noCarrier.feed(piece);
            stopped = stopped || (sawNoCarrier && stop.endsWith(kCrLf));
        }
        if (stopped) break;
        const std::int64_t elapsed = span.elapsed(OnTime());
        if (elapsed >= wait) break;
        m_pump.waitForEvents(TickSpan::sleepBudget(elapsed, wait));
    }
    return logged(reply.take());
}

}  // namespace qelv
