#pragma once

#include <QString>

#include <optional>

namespace qelv {

// The operations `qel-v at` runs, one per operation of the modem-link unit.
enum class AtOp { SendModem, SendModemNotCr, ReBack, AtcRet, AtcInterRet, AtTrue, BufClr };

// How an operation ended, for scripts that test `qel-v at`'s exit status.
enum class AtVerdict {
    Success,   // the stop text, or the operation's own success (OK, CONNECT ...)
    Refused,   // the device answered with an ERROR-class result (ERROR, NO CARRIER, BUSY ...)
    NoAnswer,  // nothing that ends the operation arrived within its limit
};

struct AtEnding {
    AtOp op = AtOp::SendModem;
    std::optional<QString> reply;  // none for attrue
    int code = -1;                 // ATResultinstr of the reply; attrue's own result
    QString expect;                // the stop text of sendmodem and sendmodem-notcr
    bool fixedWait = false;        // atcret, atcinterret: ATBreak's wait instead of a stop text
    bool timedOut = false;         // atcret, atcinterret: --timeout ran out first
};

// Pure: the verdict on one ending. The rules per operation are those `qel-v at --help` lists.
AtVerdict atVerdict(const AtEnding& ending);

// The exit status of a verdict: 0, kExitAtRefused or kExitAtNoAnswer.
int exitStatusOf(AtVerdict verdict);

inline constexpr int kExitAtRefused = 3;
inline constexpr int kExitAtNoAnswer = 4;

}  // namespace qelv
