#pragma once

#include <QString>

#include <chrono>

namespace qelv::survey {

// How one AT exchange of a pass went, as far as the survey saw it.
struct AtAttempt {
    bool opened = false;
    QString openError;      // why the port did not open this time (a reason for the user)
    bool answered = false;  // the exchange returned instead of failing
    int errorNumber = 0;    // the exchange's error when it did not return
    QString reply;          // what it returned
    int waitMs = 0;         // its time limit
    // From the command's send to the exchange's end, by the unit's clock; when it returned.
    std::chrono::milliseconds took{0};
};

struct AtFailure {
    QString reason;  // for the user, Japanese
    QString reply;   // the device's text, exact, at most kKeptReply characters
};

// The most of a failed reply a cell keeps: enough to see what the device said, while a
// device that floods for the whole limit does not fill every output with a megabyte.
inline constexpr qsizetype kKeptReply = 200;

// Why an attempt that did not pass failed. Pure. The reason never quotes the reply: the
// reply goes beside it, escaped once by whichever output shows it.
AtFailure explainAtFailure(const AtAttempt& attempt);

}  // namespace qelv::survey
