#include "terminalwidth.h"

#include <QList>

#include <sys/ioctl.h>
#include <unistd.h>

#include <vector>

namespace qelv {

namespace {

constexpr int kDefaultColumns = 80;

bool isWide(char32_t c) {
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

// The length of the piece of `text` at `at`: a text is only ever cut between pieces, which
// are an escape as a whole or a character (a surrogate pair as one).
qsizetype unitLength(QStringView text, qsizetype at) {
    qsizetype length = 1;
    if (text[at] == u'\\' && at + 1 < text.size())
        length = text[at + 1] == u'x' ? 4 : 2;
    else if (text[at].isHighSurrogate() && at + 1 < text.size())
        length = 2;
    return std::min(length, text.size() - at);
}

}  // namespace

int displayWidth(const QString& text) {
    int width = 0;
    for (const char32_t c : text.toUcs4()) width += isWide(c) ? 2 : 1;
    return width;
}

QString fitToColumns(const QString& text, int columns, Keep keep) {
    if (displayWidth(text) <= columns) return text;
    const QStringView view(text);
    const int room = std::max(0, columns - displayWidth(kCutMark));
    const auto widthAt = [&](qsizetype at, qsizetype length) {
        return displayWidth(view.sliced(at, length).toString());
    };
    if (keep == Keep::Start) {
        qsizetype at = 0;
        for (int width = 0; at < view.size();) {
            const qsizetype length = unitLength(view, at);
            width += widthAt(at, length);
            if (width > room) break;
            at += length;
        }
        return text.first(at) + kCutMark;
    }
    std::vector<qsizetype> starts;
    for (qsizetype at = 0; at < view.size(); at += unitLength(view, at)) starts.push_back(at);
    qsizetype from = view.size();
    int width = 0;
    for (auto it = starts.rbegin(); it != starts.rend(); ++it) {
        width += widthAt(*it, from - *it);
        if (width > room) break;
        from = *it;
    }
    return kCutMark + text.sliced(from);
}

int outputColumns(std::FILE* stream) {
    winsize size{};
    const int fd = stream ? ::fileno(stream) : -1;
    if (fd >= 0 && ::isatty(fd) && ::ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    bool ok = false;
    const int columns = qEnvironmentVariableIntValue("COLUMNS", &ok);
    return ok && columns > 0 ? columns : kDefaultColumns;
}

}  // namespace qelv
