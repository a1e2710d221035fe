#include "celltext.h"

#include "textescape.h"

#include <QStringList>

#include <algorithm>

namespace qelv {

namespace {

const QString kLeftOut = QStringLiteral("…");
// Under a tooltip's text when only its start is shown.
const QString kPartShown = QStringLiteral(
    "（先頭のみ表示しています。全 %1 文字。セルを選んで Ctrl+C で全文をコピーできます）");
constexpr int kToolTipLines = 24;
constexpr qsizetype kToolTipLineLength = 200;
// A line this long wraps even if it holds a path: a tooltip wider than the screen is cut off.
constexpr qsizetype kLongestUnbrokenLine = 160;

bool isLineBreak(QChar c) {
    return c == u'\r' || c == u'\n';
}

// Where the next line starts after the break at `at`; CR LF is one break.
qsizetype afterBreak(QStringView text, qsizetype at) {
    return at + (text[at] == u'\r' && at + 1 < text.size() && text[at + 1] == u'\n' ? 2 : 1);
}

struct Line {
    QString shown;
    qsizetype end = 0;  // the line's break, or the text's end
    bool cut = false;
};

// The line starting at `from` as shown, cut to `length` shown characters.
Line shownLine(QStringView text, qsizetype from, qsizetype length) {
    qsizetype width = 0;
    qsizetype at = from;
    while (at < text.size() && !isLineBreak(text[at])) {
        // escapeForDisplay writes a control character as \xNN; a surrogate pair stays whole,
        // and a lone surrogate is a character of its own.
        const bool pair =
            text[at].isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate();
        const qsizetype step = pair ? 2 : 1;
        const qsizetype shown = isControlCharacter(text[at].unicode()) ? 4 : 1;
        if (width + shown > length) break;
        width += shown;
        at += step;
    }
    Line line{escapeForDisplay(text.sliced(from, at - from).toString())};
    line.end = std::find_if(text.begin() + at, text.end(), isLineBreak) - text.begin();
    line.cut = line.end > at;
    if (line.cut) line.shown += kLeftOut;
    return line;
}

bool holdsPath(const QString& line) {
    return line.startsWith(u'/') || line.contains(QStringLiteral(" /"));
}

// Qt guesses markup in tooltips; handing it escaped rich text leaves nothing to guess. Each
// line is a paragraph of its own: Qt lays a tooltip out narrow and breaks a long word anywhere,
// so a line that holds a device path is kept from wrapping at all, and the tooltip widens.
QString richToolTip(const QString& shown) {
    QString html;
    for (const QString& line : shown.split(u'\n')) {
        const bool whole = holdsPath(line) && line.size() <= kLongestUnbrokenLine;
        html += QStringLiteral("<p style='margin:0; white-space:%1'>%2</p>")
                    .arg(whole ? QLatin1String("pre") : QLatin1String("pre-wrap"),
                         // An empty paragraph would vanish, and the blank line with it.
                         line.isEmpty() ? QStringLiteral("&nbsp;") : line.toHtmlEscaped());
    }
    return html;
}

}  // namespace

QString displayCellText(const QString& stored) {
    return escapeForDisplay(stored);
}

ShownText shownCellText(const QString& stored, int lines, qsizetype lineLength) {
    const QStringView text(stored);
    ShownText shown;
    qsizetype at = 0;
    for (int count = 0;; ++count) {
        // After the last line shown only an empty one may follow for the text to be whole.
        if (count == lines && at < text.size()) {
            shown.text.chop(1);
            if (!shown.text.endsWith(kLeftOut)) shown.text += kLeftOut;
            shown.whole = false;
            break;
        }
        const Line line = shownLine(text, at, lineLength);
        shown.text += line.shown;
        if (line.cut) shown.whole = false;
        if (line.end == text.size()) break;
        shown.text += u'\n';
        at = afterBreak(text, line.end);
    }
    return shown;
}

QString plainToolTip(const QString& text) {
    if (text.isEmpty()) return {};
    return richToolTip(displayCellText(text));
}

QString cellToolTip(const QString& tip, const QString& stored, bool elided) {
    if (stored.isEmpty() || (!elided && shownCellText(stored).whole)) return plainToolTip(tip);
    const ShownText part = shownCellText(stored, kToolTipLines, kToolTipLineLength);
    QString text = part.text;
    if (!part.whole) text += u'\n' + kPartShown.arg(stored.size());
    if (!tip.isEmpty()) text = displayCellText(tip) + QStringLiteral("\n\n") + text;
    return richToolTip(text);
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
