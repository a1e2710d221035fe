#pragma once

/// \file
/// PendingExchange, one timed exchange of the SendModem family, for callers that run their own
/// wait loop.

#include "qelvexport.h"
#include "replytext.h"
#include "stopscanner.h"
#include "tickspan.h"

#include <QString>
#include <QStringView>

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

namespace qelv {

/// One timed exchange between its send and its end: the reply so far, the stop search and the
/// time limit counted from the send. Mdcomm's SendModem family runs one of these in its wait
/// loop; a caller that talks to several ports at once runs one per port in a loop of its own,
/// with the same stop rules, reply cap and deadline arithmetic. Pure: no I/O, no clock.
class QELV_EXPORT PendingExchange {
public:
    /// What SendModem and SendModemNotCR stop at: `retresult` followed by CR LF.
    static PendingExchange untilText(const QString& retresult, std::int32_t wait,
                                     std::int32_t sentAt);
    /// What SendModemReBack stops at: any result text, or NO CARRIER once the reply ends with
    /// CR LF.
    static PendingExchange untilResult(std::int32_t wait, std::int32_t sentAt);
    /// What SendModemFinal stops at: a final result code with its line end, "OK" or "ERROR"
    /// followed by CR LF, or "+CME ERROR:" or "+CMS ERROR:" once the reply ends with CR LF.
    static PendingExchange untilFinalResult(std::int32_t wait, std::int32_t sentAt);

    /// Takes the next piece of the reply. Returns true once a stop text has arrived; the
    /// exchange is over then.
    bool feed(QStringView piece);
    /// Reads the clock once, as the wait loop does each cycle (the tick wrap rule counts
    /// readings): nothing when the limit has passed, else how long the loop may sleep before
    /// it must look again.
    std::optional<std::chrono::milliseconds> remaining(std::int32_t now);
    /// The reply as collected, at most Mdcomm::kReplyCap characters (the latest ones).
    QString take() { return m_reply.take(); }

private:
    PendingExchange(std::vector<QString> stops, std::int32_t wait, std::int32_t sentAt,
                    bool reBackRules);
    // `lineTexts` stop the exchange once they have occurred and the reply ends with CR LF.
    PendingExchange(std::vector<QString> stops, std::vector<QString> lineTexts, std::int32_t wait,
                    std::int32_t sentAt);

    StopScanner m_stop;
    StopScanner m_noCarrier;
    ReplyText m_reply;
    TickSpan m_span;
    std::int32_t m_wait;
    bool m_reBackRules;
    bool m_stopped = false;
};

}  // namespace qelv
