#pragma once

#include <QString>

namespace qelv {

// Makes a device's text safe to print on a terminal, on one line: printable ASCII stays,
// backslash becomes "\\", CR, LF and TAB become "\r", "\n", "\t", and every other character
// (control characters, ESC and so terminal escape sequences, DEL, bytes above 127) becomes
// "\xNN", or "\u{XXXX}" above 255. Nothing the device sent can reach the terminal raw.
QString escapeForTerminal(const QString& text);

// For the program's own texts (which may carry a path or a system message): printable
// characters stay, Japanese included; control characters are escaped as above.
QString escapeControls(const QString& text);

// Columns a text takes on a terminal: East Asian wide characters count two.
int displayWidth(const QString& text);

}  // namespace qelv
