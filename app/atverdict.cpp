#include "atverdict.h"

#include "resultwords.h"

#include <QStringView>

#include <algorithm>
#include <array>

namespace qelv {

namespace {

using resultwords::kSuccessCodes;
using resultwords::kUncodedRefusals;

bool isSuccessCode(int code) {
    return std::find(kSuccessCodes.begin(), kSuccessCodes.end(), code) != kSuccessCodes.end();
}

bool holdsUncodedRefusal(const QString& reply) {
    return std::any_of(kUncodedRefusals.begin(), kUncodedRefusals.end(),
                       [&reply](QStringView word) { return reply.contains(word); });
}

// A reply judged by the result it holds.
AtVerdict byResult(const QString& reply, int code) {
    if (code >= 0) return isSuccessCode(code) ? AtVerdict::Success : AtVerdict::Refused;
    return holdsUncodedRefusal(reply) ? AtVerdict::Refused : AtVerdict::NoAnswer;
}

AtVerdict byStopText(const AtEnding& e) {
    if (e.reply->contains(e.expect + QStringLiteral("\r\n"))) return AtVerdict::Success;
    const AtVerdict held = byResult(*e.reply, e.code);
    // Another success than the one asked for ("OK" while waiting for "CONNECT") is not it.
    return held == AtVerdict::Refused ? held : AtVerdict::NoAnswer;
}

// atcinterret keeps only the text before "OK", so what it returns holds no success word.
// Having stopped at a final result code, it stopped at OK unless a refusal shows; after
// ATBreak's fixed wait, an empty text means nothing came.
AtVerdict byInformationText(const QString& text, int code, bool fixedWait) {
    const AtVerdict held = byResult(text, code);
    if (held == AtVerdict::Refused) return held;
    return fixedWait && text.isEmpty() ? AtVerdict::NoAnswer : AtVerdict::Success;
}

}  // namespace

AtVerdict atVerdict(const AtEnding& e) {
    // What arrived before the limit may hold a CONNECT; it is still not what ends the operation.
    if (e.timedOut) return AtVerdict::NoAnswer;
    switch (e.op) {
        case AtOp::SendModem:
        case AtOp::SendModemNotCr:
            return byStopText(e);
        case AtOp::ReBack:
        case AtOp::AtcRet:
            return byResult(e.reply.value_or(QString()), e.code);
        case AtOp::AtcInterRet:
            return byInformationText(e.reply.value_or(QString()), e.code, e.fixedWait);
        case AtOp::AtTrue:
            if (e.code == 0) return AtVerdict::Success;
            return e.code == 1 ? AtVerdict::Refused : AtVerdict::NoAnswer;
        case AtOp::BufClr:
            return AtVerdict::Success;
    }
    return AtVerdict::NoAnswer;
}

int exitStatusOf(AtVerdict verdict) {
    switch (verdict) {
        case AtVerdict::Success:
            return 0;
        case AtVerdict::Refused:
            return kExitAtRefused;
        case AtVerdict::NoAnswer:
            return kExitAtNoAnswer;
    }
    return kExitAtNoAnswer;
}

}  // namespace qelv
