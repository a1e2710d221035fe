#pragma once

#include <QString>

#include <cstdint>
#include <optional>

#include <QColor>

namespace qelv {

// Modem replies arrive with CR LF, lone CR and stray control bytes. What the grid shows is
// derived from the stored text and never written back.
QString displayCellText(const QString& stored);

// A tooltip Qt will not read as markup, whatever the text holds.
QString plainToolTip(const QString& text);

// The tooltip of a cell: its own tip, and the full text when the cell cannot show all of it.
QString cellToolTip(const QString& tip, const QString& stored, bool elided);

// 0x00BBGGRR to a colour; nothing for kNoColor or any value a caller cannot mean as RGB.
std::optional<QColor> cellColor(std::uint32_t backColor);

// Black or white, whichever stays readable on the given background.
QColor readableTextColor(const QColor& background);

}  // namespace qelv
