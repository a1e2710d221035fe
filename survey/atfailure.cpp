#include "atfailure.h"

#include "modemerror.h"
#include "surveytexts.h"

namespace qelv::survey {

namespace {

QString reasonOf(const AtAttempt& attempt) {
    if (!attempt.opened) return kNotReopened.arg(attempt.openError);
    // The port layer's own message is English and may hold a system text; the number is
    // what tells the failures apart.
    if (!attempt.answered)
        return (attempt.errorNumber == errc::kPortIoFailed ? kDeviceGone : kExchangeFailed)
            .arg(attempt.errorNumber);
    if (attempt.reply.isEmpty()) return kNoAnswer.arg(attempt.waitMs);
    // Noise holds the two letters by chance: say why they did not count.
    if (attempt.reply.contains(QLatin1String("OK"))) return kOkNotALine;
    return kAnswerWithoutOk;
}

}  // namespace

AtFailure explainAtFailure(const AtAttempt& attempt) {
    return {reasonOf(attempt), attempt.answered ? attempt.reply.left(kKeptReply) : QString()};
}

}  // namespace qelv::survey
