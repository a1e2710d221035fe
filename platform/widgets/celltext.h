#pragma once

#include <QString>

#include <cstdint>
#include <optional>

#include <QColor>

namespace qelv {

// A row of the grid is never more than this many lines high.
inline constexpr int kCellLines = 4;
// Shown characters of one line of a cell: more than a column of any likely width holds.
inline constexpr qsizetype kCellLineLength = 300;

// Modem replies arrive with CR LF, lone CR and stray control bytes. What the grid shows is
// derived from the stored text and never written back.
QString displayCellText(const QString& stored);

// A view of a stored text with a bound on its size, in the form displayCellText gives.
struct ShownText {
    QString text;
    bool whole = true;  // nothing was left out: text is displayCellText(stored)
};

// The first `lines` lines of `stored`, each cut to `lineLength` shown characters, with "…"
// where something was left out. Only what is shown is escaped, so a flooding device's
// megabyte costs about what a line costs, however often a cell is painted or measured.
ShownText shownCellText(const QString& stored, int lines = kCellLines,
                        qsizetype lineLength = kCellLineLength);

// A tooltip Qt will not read as markup, whatever the text holds. A line that holds a device
// path is never broken inside it.
QString plainToolTip(const QString& text);

// The tooltip of a cell: its own tip, and the stored text when the cell cannot show all of it
// (`elided`, or more than a cell shows at all). A long text is cut there too, saying how
// long it is and that Ctrl+C copies all of it.
QString cellToolTip(const QString& tip, const QString& stored, bool elided);

// 0x00BBGGRR to a colour; nothing for kNoColor or any value a caller cannot mean as RGB.
std::optional<QColor> cellColor(std::uint32_t backColor);

// Black or white, whichever stays readable on the given background.
QColor readableTextColor(const QColor& background);

}  // namespace qelv
