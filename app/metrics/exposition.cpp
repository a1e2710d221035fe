#include "exposition.h"

#include "textescape.h"

namespace qelv::metrics {

QString labelValue(const QString& text) {
    const QString shown = escapeForTerminal(text);
    QString out;
    out.reserve(shown.size() + 8);
    for (const QChar c : shown) {
        if (c == u'\\')
            out += QStringLiteral("\\\\");
        else if (c == u'"')
            out += QStringLiteral("\\\"");
        else if (c == u'\n')
            out += QStringLiteral("\\n");
        else
            out += c;
    }
    return out;
}

QString familyHeader(const char* name, const char* help, const char* type) {
    const QString n = QLatin1String(name);
    return QStringLiteral("# HELP ") + n + u' ' + QLatin1String(help) +
           QStringLiteral("\n# TYPE ") + n + u' ' + QLatin1String(type) + u'\n';
}

QString sampleLine(const char* name, const Labels& labels, const QString& value) {
    QString line = QLatin1String(name);
    if (!labels.empty()) {
        line += u'{';
        for (std::size_t i = 0; i < labels.size(); ++i) {
            if (i > 0) line += u',';
            line += labels[i].first + QStringLiteral("=\"") + labelValue(labels[i].second) + u'"';
        }
        line += u'}';
    }
    return line + u' ' + value + u'\n';
}

QString seconds(std::chrono::milliseconds ms) {
    const std::int64_t count = ms.count();
    const std::int64_t magnitude = count < 0 ? -count : count;
    return QStringLiteral("%1%2.%3")
        .arg(count < 0 ? QStringLiteral("-") : QString())
        .arg(magnitude / 1000)
        .arg(magnitude % 1000, 3, 10, QLatin1Char('0'));
}

QString flag(bool on) {
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

}  // namespace qelv::metrics
