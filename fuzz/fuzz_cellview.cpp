// What the grid and the text table show of a device's text, against what they promise: a
// cell's view is bounded and, when whole, the full display text; a table cell shortened to
// its columns fits them and is the start (or end) of the text, cut between whole escapes.

#include "celltext.h"
#include "fuzzcheck.h"
#include "terminalwidth.h"
#include "textescape.h"

#include <QString>

#include <cstddef>
#include <cstdint>

namespace {

using qelv::fuzz::escaped;
using qelv::fuzz::fail;

void checkCellView(const QString& stored) {
    const qelv::ShownText shown = qelv::shownCellText(stored);
    // One more line only when it is the text's last and empty.
    const qsizetype breaks = shown.text.count(u'\n');
    if (breaks > qelv::kCellLines || (breaks == qelv::kCellLines && !shown.text.endsWith(u'\n')))
        fail(QStringLiteral("%1 lines shown of \"%2\"").arg(breaks + 1).arg(escaped(stored)));
    // A line shows at most kCellLineLength characters, plus its mark and its break; a
    // surrogate pair is one character, a lone surrogate one too.
    const qsizetype characters = shown.text.toUcs4().size();
    if (characters > qelv::kCellLines * (qelv::kCellLineLength + 2))
        fail(QStringLiteral("%1 characters shown of \"%2\"").arg(characters).arg(escaped(stored)));
    if (shown.whole && shown.text != qelv::escapeForDisplay(stored))
        fail(QStringLiteral("\"%1\" shown whole as \"%2\"")
                 .arg(escaped(stored), escaped(shown.text)));
}

// Whether `at` is where a piece of `text` begins, reading it from the start: a backslash
// begins an escape of two characters, or four for \x; a surrogate pair is one piece.
bool startsAPiece(const QString& text, qsizetype at) {
    qsizetype i = 0;
    while (i < at) {
        if (text[i] == u'\\' && i + 1 < text.size())
            i += text[i + 1] == u'x' ? 4 : 2;
        else if (text[i].isHighSurrogate() && i + 1 < text.size())
            i += 2;
        else
            ++i;
    }
    return i == at || at == text.size();
}

void checkTableCell(const QString& stored, int columns) {
    const QString text = qelv::escapeForTerminal(stored);
    for (const qelv::Keep keep : {qelv::Keep::Start, qelv::Keep::End}) {
        const QString fitted = qelv::fitToColumns(text, columns, keep);
        if (fitted == text) {
            if (qelv::displayWidth(text) > columns) fail(QStringLiteral("too wide, left whole"));
            continue;
        }
        if (qelv::displayWidth(fitted) > std::max(columns, 1))
            fail(QStringLiteral("\"%1\" in %2 columns is \"%3\"")
                     .arg(escaped(text))
                     .arg(columns)
                     .arg(escaped(fitted)));
        const bool start = keep == qelv::Keep::Start;
        const QString kept = start ? fitted.chopped(1) : fitted.mid(1);
        const bool marked =
            start ? fitted.endsWith(qelv::kCutMark) : fitted.startsWith(qelv::kCutMark);
        const qsizetype cut = start ? kept.size() : text.size() - kept.size();
        if (!marked || !(start ? text.startsWith(kept) : text.endsWith(kept)) ||
            !startsAPiece(text, cut))
            fail(QStringLiteral("\"%1\" cut badly as \"%2\"").arg(escaped(text), escaped(fitted)));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const int columns = data[0];
    const auto* bytes = reinterpret_cast<const char*>(data + 1);
    const QString latin1 = QString::fromLatin1(bytes, static_cast<qsizetype>(size - 1));
    checkCellView(latin1);
    checkTableCell(latin1, columns);

    // Texts of other origins (a path, a header) may hold any UTF-16, surrogates included.
    QString utf16(static_cast<qsizetype>((size - 1) / 2), Qt::Uninitialized);
    for (std::size_t i = 1; i + 1 < size; i += 2)
        utf16[static_cast<qsizetype>(i / 2)] = QChar(char16_t(data[i] | (data[i + 1] << 8)));
    checkCellView(utf16);
    checkTableCell(utf16, columns);
    return 0;
}
