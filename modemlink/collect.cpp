// Collection without a deadline, the quick OK/ERROR check and the input drain.

#include "mdcomm.h"

#include "replytext.h"
#include "resultwords.h"
#include "shutdown.h"
#include "stopscanner.h"
#include "tickspan.h"

#include <algorithm>
#include <limits>

namespace qelv {

namespace {

const QString kCr = QStringLiteral("\r");
const QString kOkCrLf = QStringLiteral("OK\r\n");

// No deadline: an idle collection sleeps this long at most before it looks again, which
// bounds how late a request to end is noticed when events are not pumped.
constexpr std::chrono::milliseconds kIdleLook{100};

std::vector<QString> finalResultTexts() {
    std::vector<QString> texts;
    for (QStringView word : resultwords::kFinalResults)
        texts.push_back(word.toString() + QStringLiteral("\r\n"));
    return texts;
}

// ATBreak * 1000 in 16-bit arithmetic: anything outside -32..32 overflows.
std::int16_t fixedWaitMs(std::int16_t seconds) {
    const int product = static_cast<int>(seconds) * 1000;
    if (product < std::numeric_limits<std::int16_t>::min() ||
        product > std::numeric_limits<std::int16_t>::max())
        throw ModemError(errc::kOverflow,
                         QStringLiteral("overflow: ATBreak %1 × 1000").arg(seconds));
    return static_cast<std::int16_t>(product);
}

// What ATCinterRet keeps of a collected reply: the text before "OK" CR LF, without line ends.
QString informationText(QString collected) {
    const qsizetype ok = collected.indexOf(kOkCrLf);
    if (ok >= 0) collected.truncate(ok);
    collected.remove(u'\r');
    collected.remove(u'\n');
    return collected;
}

}  // namespace

TimedReply Mdcomm::collectFinal(const QString& atstr,
                                std::optional<std::chrono::milliseconds> limit) {
    MSComm1.Output(atstr + kCr);
    // Without a limit the clock is never read: ATCret stays exactly what it was.
    std::optional<TickSpan> span;
    if (limit) span.emplace(OnTime());
    ReplyText reply(kReplyCap);
    StopScanner stop(finalResultTexts());
    for (;;) {
        const bool pumping = ATCretNotEvent == 0;
        if (pumping) m_pump.pumpPending();
        const QString piece = MSComm1.Input();
        reply.append(piece);
        if (ATBreak != 0) {
            const std::int32_t wait = fixedWaitMs(ATBreak);
            const std::int64_t left = span ? limit->count() - span->elapsed(OnTime()) : wait;
            const bool cut = left < wait;
            Waits(cut ? static_cast<std::int32_t>(std::max<std::int64_t>(left, 0)) : wait);
            reply.assign(MSComm1.Input());
            return {reply.take(), cut};
        }
        if (stop.feed(piece)) break;
        // Nothing else is sure to notice a request to end: without pumping no pump throws,
        // and a pump is not obliged to throw from every call.
        shutdown::throwIfRequested();
        auto budget = kIdleLook;
        if (span) {
            const std::int64_t elapsed = span->elapsed(OnTime());
            if (elapsed >= limit->count()) return {reply.take(), true};
            budget = std::min(budget, TickSpan::sleepBudget(elapsed, limit->count()));
        }
        sleepFor(budget, pumping);
    }
    return {reply.take(), false};
}

QString Mdcomm::ATCret(const QString& atstr) {
    return logged(collectFinal(atstr, std::nullopt).text);
}

QString Mdcomm::ATCinterRet(const QString& atstr) {
    return logged(informationText(collectFinal(atstr, std::nullopt).text));
}

TimedReply Mdcomm::ATCret(const QString& atstr, std::chrono::milliseconds limit) {
    TimedReply reply = collectFinal(atstr, limit);
    reply.text = logged(std::move(reply.text));
    return reply;
}

TimedReply Mdcomm::ATCinterRet(const QString& atstr, std::chrono::milliseconds limit) {
    TimedReply reply = collectFinal(atstr, limit);
    reply.text = logged(informationText(std::move(reply.text)));
    return reply;
}

std::int16_t Mdcomm::ATTrue(const QString& atstr) {
    MSComm1.Input();
    MSComm1.Output(atstr + kCr);
    Waits(3000);
    const QString reply = MSComm1.Input();
    std::int16_t result = -1;
    if (reply.contains(QLatin1String("OK"))) result = 0;
    if (reply.contains(QLatin1String("ERROR"))) result = 1;
    return result;
}

QString Mdcomm::ComportBufClr() {
    MSComm1.setInputLen(0);
    // Counts are compared at full width: a flood past 32,767 characters must still count as
    // "still arriving" rather than wrap or stick at a clamp.
    int previous = MSComm1.InBufferCount();
    if (previous > 0) {
        for (int i = 0; i < 30; ++i) {
            Waits(100);
            const int count = MSComm1.InBufferCount();
            if (count == previous) break;
            previous = count;
        }
    }
    // A port may hold more than a reply keeps; what is dropped is the oldest, as in a reply.
    ReplyText taken(kReplyCap);
    taken.assign(MSComm1.Input());
    return taken.take();
}

}  // namespace qelv
