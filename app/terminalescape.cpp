#include "terminalescape.h"

#include <QList>

namespace qelv {

namespace {

bool isWide(char32_t c) {
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

QString hex(char16_t value, int digits) {
    return QStringLiteral("%1").arg(static_cast<uint>(value), digits, 16, QLatin1Char('0')).toUpper();
}

QString escaped(const QString& text, bool keepPrintable) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (keepPrintable && u >= 0xA0 && c.isPrint()) out += c;
        else if (u == u'\\') out += QStringLiteral("\\\\");
        else if (u == u'\r') out += QStringLiteral("\\r");
        else if (u == u'\n') out += QStringLiteral("\\n");
        else if (u == u'\t') out += QStringLiteral("\\t");
        else if (u >= 0x20 && u < 0x7F) out += c;
        else if (u <= 0xFF) out += QStringLiteral("\\x") + hex(u, 2);
        else out += QStringLiteral("\\u{") + hex(u, 4) + QLatin1Char('}');
    }
    return out;
}

}  // namespace

QString escapeForTerminal(const QString& text) { return escaped(text, false); }

QString escapeControls(const QString& text) { return escaped(text, true); }

int displayWidth(const QString& text) {
    int width = 0;
    for (const char32_t c : text.toUcs4()) width += isWide(c) ? 2 : 1;
    return width;
}

}  // namespace qelv
