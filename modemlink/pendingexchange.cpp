#include "pendingexchange.h"

#include "mdcomm.h"
#include "resultwords.h"

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

PendingExchange::PendingExchange(std::vector<QString> stops, std::int32_t wait, std::int32_t sentAt,
                                 bool reBackRules)
    : m_stop(std::move(stops)),
      m_noCarrier({QStringLiteral("NO CARRIER")}),
      m_reply(Mdcomm::kReplyCap),
      m_span(sentAt),
      m_wait(wait),
      m_reBackRules(reBackRules) {}

// The texts that stop only once the reply ends with CR LF share the scanner and the rule that
// ReBack's "NO CARRIER" uses.
PendingExchange::PendingExchange(std::vector<QString> stops, std::vector<QString> lineTexts,
                                 std::int32_t wait, std::int32_t sentAt)
    : m_stop(std::move(stops)),
      m_noCarrier(std::move(lineTexts)),
      m_reply(Mdcomm::kReplyCap),
      m_span(sentAt),
      m_wait(wait),
      m_reBackRules(true) {}

PendingExchange PendingExchange::untilText(const QString& retresult, std::int32_t wait,
                                           std::int32_t sentAt) {
    return PendingExchange({retresult + kCrLf}, wait, sentAt, false);
}

PendingExchange PendingExchange::untilResult(std::int32_t wait, std::int32_t sentAt) {
    return PendingExchange(reBackStopTexts(), wait, sentAt, true);
}

PendingExchange PendingExchange::untilFinalResult(std::int32_t wait, std::int32_t sentAt) {
    // Cellular modules with +CMEE set report a refused command as "+CME ERROR: <reason>";
    // it ends the command as surely as a plain ERROR does.
    std::vector<QString> results;
    for (QStringView word : resultwords::kCommandResults)
        results.push_back(word.toString() + kCrLf);
    std::vector<QString> reasoned;
    for (QStringView start : resultwords::kReasonedErrors) reasoned.push_back(start.toString());
    return PendingExchange(std::move(results), std::move(reasoned), wait, sentAt);
}

bool PendingExchange::feed(QStringView piece) {
    m_reply.append(piece);
    bool stop = m_stop.feed(piece);
    if (m_reBackRules) {
        // "NO CARRIER" anywhere, once the reply ends with CR LF, also stops a ReBack exchange
        // (and "+CME ERROR:" one that waits for a final result).
        const bool sawNoCarrier = m_noCarrier.feed(piece);
        stop = stop || (sawNoCarrier && m_stop.endsWith(kCrLf));
    }
    m_stopped = m_stopped || stop;
    return m_stopped;
}

std::optional<std::chrono::milliseconds> PendingExchange::remaining(std::int32_t now) {
    const std::int64_t elapsed = m_span.elapsed(now);
    if (elapsed >= m_wait) return std::nullopt;
    return TickSpan::sleepBudget(elapsed, m_wait);
}

}  // namespace qelv
