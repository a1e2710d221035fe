// labelValue, the metrics file's label values, on arbitrary device text: the bytes as a line
// delivers them (Latin-1) and, for paths and udev's texts, as UTF-16. What it writes keeps
// to the exposition format (no line feed or control character, every quote and backslash
// escaped), and reading it back the way Prometheus does gives the text as a terminal shows
// it, exactly.

#include "exposition.h"
#include "fuzzcheck.h"
#include "textescape.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>

namespace {

using qelv::fuzz::escaped;
using qelv::fuzz::fail;

// The format's own reading of a label value; nothing for one it would refuse.
std::optional<QString> readBack(const QString& value) {
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == u'"' || c == u'\n') return std::nullopt;
        if (c != u'\\') {
            out += c;
            continue;
        }
        if (++i == value.size()) return std::nullopt;
        const QChar next = value[i];
        if (next == u'\\' || next == u'"')
            out += next;
        else if (next == u'n')
            out += u'\n';
        else
            return std::nullopt;
    }
    return out;
}

void check(const QString& text) {
    const QString value = qelv::metrics::labelValue(text);
    for (QChar c : value)
        if (qelv::isControlCharacter(c.unicode()))
            fail(QStringLiteral("a control character in ") + escaped(value));
    const auto back = readBack(value);
    if (!back) fail(QStringLiteral("the format refuses ") + escaped(value));
    if (*back != qelv::escapeForTerminal(text))
        fail(QStringLiteral("%1 reads back as %2").arg(escaped(text), escaped(*back)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto* bytes = reinterpret_cast<const char*>(data);
    check(QString::fromLatin1(bytes, static_cast<qsizetype>(size)));
    check(QString(reinterpret_cast<const QChar*>(data), static_cast<qsizetype>(size / 2)));
    return 0;
}
