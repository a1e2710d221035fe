#include "celltext.h"

#include "textescape.h"

#include <QTextDocument>

namespace qelv {

QString displayCellText(const QString& stored) {
    return escapeForDisplay(stored);
}

QString plainToolTip(const QString& text) {
    if (text.isEmpty()) return {};
    // Qt guesses markup in tooltips; handing it escaped rich text leaves nothing to guess.
    return Qt::convertFromPlainText(displayCellText(text), Qt::WhiteSpacePre);
}

QString cellToolTip(const QString& tip, const QString& stored, bool elided) {
    if (!elided || stored.isEmpty()) return plainToolTip(tip);
    if (tip.isEmpty()) return plainToolTip(stored);
    return plainToolTip(tip + QStringLiteral("\n\n") + stored);
}

std::optional<QColor> cellColor(std::uint32_t backColor) {
    // The top byte marks kNoColor and the system colours; neither is an RGB value.
    if ((backColor & 0xFF000000u) != 0) return std::nullopt;
    return QColor(static_cast<int>(backColor & 0xFFu), static_cast<int>((backColor >> 8) & 0xFFu),
                  static_cast<int>((backColor >> 16) & 0xFFu));
}

QColor readableTextColor(const QColor& background) {
    return background.lightness() < 128 ? QColor(Qt::white) : QColor(Qt::black);
}

}  // namespace qelv
