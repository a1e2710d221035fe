// The timed exchange: send one command, collect until a stop text or a time limit.

#include "mdcomm.h"

#include "pendingexchange.h"

namespace qelv {

QString Mdcomm::SendModem(const QString& atstr, const std::int32_t& wait,
                          const QString& retresult) {
    MSComm1.Output(atstr + QStringLiteral("\r\n"));
    return exchange(PendingExchange::untilText(retresult, wait, OnTime()));
}

QString Mdcomm::SendModemNotCR(const QString& atstr, const std::int32_t& wait,
                               const QString& retresult) {
    MSComm1.Output(atstr);
    return exchange(PendingExchange::untilText(retresult, wait, OnTime()));
}

QString Mdcomm::SendModemReBack(const QString& atstr, const std::int32_t& wait) {
    MSComm1.Output(atstr + QStringLiteral("\r\n"));
    return exchange(PendingExchange::untilResult(wait, OnTime()));
}

QString Mdcomm::SendModemFinal(const QString& atstr, const std::int32_t& wait) {
    MSComm1.Output(atstr + QStringLiteral("\r\n"));
    return exchange(PendingExchange::untilFinalResult(wait, OnTime()));
}

QString Mdcomm::exchange(PendingExchange pending) {
    for (;;) {
        m_pump.pumpPending();
        if (pending.feed(MSComm1.Input())) break;
        const auto budget = pending.remaining(OnTime());
        if (!budget) break;
        m_pump.waitForEvents(*budget);
    }
    return logged(pending.take());
}

}  // namespace qelv
