#include "tablelayout.h"

#include <algorithm>
#include <limits>
#include <numeric>

namespace qelv {

namespace {

constexpr int kGap = 2;

std::vector<int> naturalWidths(const std::vector<QStringList>& rows) {
    std::vector<int> widths;
    for (const QStringList& line : rows)
        for (qsizetype col = 0; col < line.size(); ++col) {
            const auto c = static_cast<std::size_t>(col);
            if (widths.size() <= c) widths.push_back(0);
            widths[c] = std::max(widths[c], displayWidth(line[col]));
        }
    return widths;
}

int sumCapped(const std::vector<int>& widths, int cap) {
    return std::accumulate(widths.begin(), widths.end(), 0,
                           [cap](int sum, int w) { return sum + std::min(w, cap); });
}

// The widths that fit `width`: the widest columns cut to one cap, the largest that fits, and
// what the cap leaves over given to the cut columns from the left.
std::vector<int> fittedWidths(std::vector<int> widths, int width) {
    if (width <= 0 || widths.empty()) return widths;
    const int room = width - kGap * static_cast<int>(widths.size() - 1);
    if (sumCapped(widths, std::numeric_limits<int>::max()) <= room) return widths;
    int low = kNarrowestColumn;  // the cap that is kept even when nothing fits
    int high = *std::max_element(widths.begin(), widths.end());
    while (low < high) {
        const int cap = low + (high - low + 1) / 2;
        if (sumCapped(widths, cap) <= room)
            low = cap;
        else
            high = cap - 1;
    }
    int spare = room - sumCapped(widths, low);
    for (int& w : widths) {
        if (w <= low) continue;
        const int extra = std::clamp(spare, 0, w - low);
        w = low + extra;
        spare -= extra;
    }
    return widths;
}

}  // namespace

QString alignedTable(const std::vector<QStringList>& rows, int width, const QList<int>& keepEnd) {
    const std::vector<int> natural = naturalWidths(rows);
    const std::vector<int> widths = fittedWidths(natural, width);
    QString out;
    for (const QStringList& line : rows) {
        QString text;
        for (qsizetype col = 0; col < line.size(); ++col) {
            const int w = widths[static_cast<std::size_t>(col)];
            const QString cell =
                fitToColumns(line[col], w, keepEnd.contains(col) ? Keep::End : Keep::Start);
            text += cell + QString(std::max(0, w - displayWidth(cell)) + kGap, u' ');
        }
        while (text.endsWith(u' ')) text.chop(1);
        out += text + u'\n';
    }
    return out;
}

}  // namespace qelv
