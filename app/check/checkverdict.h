#pragma once

#include "checkrequest.h"
#include "modemerror.h"

#include <QString>

#include <chrono>

namespace qelv {

// The statuses of a monitoring plugin; each is also its exit status.
enum class CheckStatus { Ok = 0, Warning = 1, Critical = 2, Unknown = 3 };

// What `qel-v check` found: a status, what to say of it and, when an exchange ran, its
// performance data.
struct CheckResult {
    CheckStatus status = CheckStatus::Unknown;
    QString text;      // escaped for one line already
    QString perfdata;  // empty: none
};

// Pure judges of the ways a check ends. `port` is PORT as given, `device` what the system
// calls the device (empty when it knows nothing); both are shown escaped.
//
// The answer: OK when the expected reply came within -w (or with no -w), WARNING when it came
// later but within -c, CRITICAL when it came later than -c, when an ERROR-class result came
// instead, or when nothing that ends the exchange came within -c.
CheckResult judgeAnswer(const CheckRequest& r, const QString& port, const QString& device,
                        const QString& reply, std::chrono::milliseconds took);
// The port did not open: UNKNOWN for a port another program uses (it was left alone),
// CRITICAL for every other reason (no device, no permission, not a serial device ...).
CheckResult judgeOpenFailure(const ModemError& error);
// The exchange itself failed (the device went away in the middle): CRITICAL.
CheckResult judgeExchangeFailure(const ModemError& error);
// The command line was not understood, or the check was asked to end: UNKNOWN.
CheckResult unknown(const QString& why);

// "QEL-V OK - <text> | <perfdata>": one line, with a line feed. A '|' of the text (a device
// may send one) is written \x7C, since it would start the performance data.
QString statusLine(const CheckResult& result);

}  // namespace qelv
