#include "celltext.h"

#include <QTextDocument>

namespace qelv {

namespace {

// Control Pictures (U+2400..) are missing from the fonts a Debian desktop usually has, so
// a control code is written out as an escape instead.
void appendVisible(QString& out, QChar ch) {
    const char16_t code = ch.unicode();
    const bool control = code < 0x20 || (code >= 0x7F && code <= 0x9F);
    if (!control) {
        out += ch;
        return;
    }
    out += QStringLiteral("\\x");
    out += QString::number(code, 16).toUpper().rightJustified(2, QLatin1Char('0'));
}

}  // namespace

QString displayCellText(const QString& stored) {
    QString out;
    out.reserve(stored.size());
    for (qsizetype i = 0; i < stored.size(); ++i) {
        const QChar ch = stored.at(i);
        if (ch == QLatin1Char('\r')) {
            if (i + 1 < stored.size() && stored.at(i + 1) == QLatin1Char('\n')) ++i;
            out += QLatin1Char('\n');
        } else if (ch == QLatin1Char('\n')) {
            out += ch;
        } else {
            appendVisible(out, ch);
        }
    }
    return out;
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
