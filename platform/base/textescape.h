#pragma once

/// \file
/// How text a device sent is shown on a terminal, in a widget and in JSON.

#include "qelvexport.h"

#include <QString>

namespace qelv {

/// The one set of rules for showing text a device sent. What a device can send that a
/// terminal, a JSON reader or a widget would act on instead of showing is C0 (U+0000..U+001F),
/// DEL (U+007F) and C1 (U+0080..U+009F); everything from U+00A0 up, Japanese included, is
/// shown as it is. Bytes from a line are Latin-1 characters, so no other control reaches here.
QELV_EXPORT bool isControlCharacter(char16_t c);

/// One line on a terminal: backslash becomes `\\` (so an escape is never ambiguous), CR, LF
/// and TAB become `\r`, `\n`, `\t`, every other control character `\xNN`.
QELV_EXPORT QString escapeForTerminal(const QString& text);

/// A widget's text: CR LF, a lone CR and LF each become one line break, every other control
/// character `\xNN`. Backslashes stay.
QELV_EXPORT QString escapeForDisplay(const QString& text);

/// A JSON string literal, quotes included: '"' and '\' are escaped with a backslash and every
/// control character as `\u00XX`; nothing else is touched. A JSON parser gives back exactly
/// `text`.
QELV_EXPORT QString jsonStringLiteral(const QString& text);

}  // namespace qelv
