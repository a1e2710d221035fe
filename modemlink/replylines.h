#pragma once

// The lines of one command's reply, for the identification. Internal to the library.

#include <QList>
#include <QStringView>

namespace qelv {

struct ReplyLines {
    enum class End { None, Ok, Error };
    // The text lines before the final result code, blank lines and the command's echo left
    // out, each without blanks around it.
    QList<QStringView> text;
    // The first final result code: OK, or a refusal (ERROR, +CME ERROR: ..., +CMS ERROR: ...).
    End end = End::None;
};

// Splits `reply` at CR and LF; text after the last line end is no line yet. Views into
// `reply`, which must outlive the result.
ReplyLines splitReply(QStringView command, QStringView reply);

}  // namespace qelv
