#pragma once

#include <QString>

#include <cstdio>

namespace qelv {

// Columns a text takes on a terminal: East Asian wide characters count two.
int displayWidth(const QString& text);

// The mark of a text shortened to fit: one column wide, and never part of a device's text
// (which reaches a terminal as Latin-1 characters and escapes).
inline const QString kCutMark = QStringLiteral("…");

// Which end of a text is kept when it is shortened: the start of a reply, the end of a path
// (where a device's name is).
enum class Keep { Start, End };

// `text`, escaped for the terminal (escapeForTerminal), shortened to at most `columns`
// columns with kCutMark where the rest was; unchanged when it fits. An escape (\xNN, \r, \\)
// and a wide character are never cut in two. At least the mark is left.
QString fitToColumns(const QString& text, int columns, Keep keep = Keep::Start);

// How wide a table written to `stream` may be: the terminal's width when `stream` is one,
// else $COLUMNS when it is a positive number, else 80.
int outputColumns(std::FILE* stream);

}  // namespace qelv
