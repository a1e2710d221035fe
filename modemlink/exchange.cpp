// The timed exchange: send one command, collect until a stop text or a time limit.

#include "mdcomm.h"

#include "replytext.h"
#include "resultwords.h"
#include "stopscanner.h"
#include "tickspan.h"

namespace qelv {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

std::vector<QString> reBackStopTexts() {
    std::vector<QString> texts;
    for (QStringView word : resultwords::kReBackStops) texts.push_back(word.toString() + kCrLf);
    texts.push_back(kCrLf + resultwords::kReBackLineOff.toString());
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
