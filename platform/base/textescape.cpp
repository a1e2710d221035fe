#include "textescape.h"

namespace qelv {

namespace {

QString hex(char16_t value, int digits) {
    return QStringLiteral("%1")
        .arg(static_cast<uint>(value), digits, 16, QLatin1Char('0'))
        .toUpper();
}

}  // namespace

bool isControlCharacter(char16_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

QString escapeForTerminal(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\\')
            out += QStringLiteral("\\\\");
        else if (u == u'\r')
            out += QStringLiteral("\\r");
        else if (u == u'\n')
            out += QStringLiteral("\\n");
        else if (u == u'\t')
            out += QStringLiteral("\\t");
        else if (isControlCharacter(u))
            out += QStringLiteral("\\x") + hex(u, 2);
        else
            out += c;
    }
    return out;
}

QString escapeForDisplay(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        if (u == u'\r') {
            if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n')) ++i;
            out += QLatin1Char('\n');
        } else if (u == u'\n' || !isControlCharacter(u)) {
            out += text.at(i);
        } else {
            out += QStringLiteral("\\x") + hex(u, 2);
        }
    }
    return out;
}

QString jsonStringLiteral(const QString& text) {
    QString out(u'"');
    out.reserve(text.size() + 2);
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'"' || u == u'\\')
            out += QLatin1Char('\\') + c;
        else if (isControlCharacter(u))
            out += QStringLiteral("\\u") + hex(u, 4);
        else
            out += c;
    }
    return out + u'"';
}

}  // namespace qelv
