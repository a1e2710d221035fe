// Collection without a deadline, the quick OK/ERROR check and the input drain.

#include "mdcomm.h"

#include "replytext.h"
#include "resultwords.h"
#include "shutdown.h"
#include "stopscanner.h"

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

}  // namespace

QString Mdcomm::collectFinal(const QString& atstr) {
    MSComm1.Output(atstr + kCr);
    ReplyText reply(kReplyCap);
    StopScanner stop(finalResultTexts());
    for (;;) {
        const bool pumping = ATCretNotEvent == 0;
        if (pumping) m_pump.pumpPending();
        const QString piece = MSComm1.Input();
        reply.append(piece);
        if (ATBreak != 0) {
            const std::int32_t wait = fixedWaitMs(ATBreak);
            Waits(wait);
            reply.assign(MSComm1.Input());
            break;
        }
        if (stop.feed(piece)) break;
        // Nothing else is sure to notice a request to end: without pumping no pump throws,
        // and a pump is not obliged to throw from every call.
        shutdown::throwIfRequested();
        sleepFor(kIdleLook, pumping);
    }
    return reply.take();
}

QString Mdcomm::ATCret(const QString& atstr) {
    return logged(collectFinal(atstr));
}

QString Mdcomm::ATCinterRet(const QString& atstr) {
    QString text = collectFinal(atstr);
    const qsizetype ok = text.indexOf(kOkCrLf);
    if (ok >= 0) text.truncate(ok);
    text.remove(u'\r');
    text.remove(u'\n');
    return logged(std::move(text));
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
