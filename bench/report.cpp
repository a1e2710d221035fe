#include "report.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace qelv::bench {

namespace {

const char* verdictText(Verdict verdict) {
    switch (verdict) {
        case Verdict::Pass:
            return "PASS";
        case Verdict::Miss:
            return "MISS";
        case Verdict::Info:
            return "info";
        case Verdict::NotRun:
            return "NOT RUN";
    }
    return "?";
}

// Columns are padded by what the terminal shows, so multi-byte UTF-8 counts once.
std::size_t shownWidth(const std::string& text) {
    std::size_t width = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80) ++width;
    return width;
}

std::string padded(const std::string& text, std::size_t width) {
    const std::size_t shown = shownWidth(text);
    return shown >= width ? text : text + std::string(width - shown, ' ');
}

}  // namespace

Verdict verdictFor(bool met) {
    return met ? Verdict::Pass : Verdict::Miss;
}

std::string format(const char* pattern, ...) {
    char buffer[512];
    va_list args;
    va_start(args, pattern);
    std::vsnprintf(buffer, sizeof buffer, pattern, args);
    va_end(args);
    return buffer;
}

void Report::add(std::string id, std::string figure, std::string measured, std::string target,
                 Verdict verdict) {
    m_rows.push_back(
        {std::move(id), std::move(figure), std::move(measured), std::move(target), verdict});
}

void Report::note(std::string text) {
    m_notes.push_back(std::move(text));
}

bool Report::anyNotRun() const {
    return std::any_of(m_rows.begin(), m_rows.end(),
                       [](const Row& row) { return row.verdict == Verdict::NotRun; });
}

void Report::print() const {
    std::size_t widths[4] = {2, 6, 8, 6};
    for (const Row& row : m_rows) {
        widths[0] = std::max(widths[0], shownWidth(row.id));
        widths[1] = std::max(widths[1], shownWidth(row.figure));
        widths[2] = std::max(widths[2], shownWidth(row.measured));
        widths[3] = std::max(widths[3], shownWidth(row.target));
    }
    const auto line = [&](const std::string& a, const std::string& b, const std::string& c,
                          const std::string& d, const std::string& e) {
        std::printf("%s  %s  %s  %s  %s\n", padded(a, widths[0]).c_str(),
                    padded(b, widths[1]).c_str(), padded(c, widths[2]).c_str(),
                    padded(d, widths[3]).c_str(), e.c_str());
    };
    line("#", "figure", "measured", "target", "verdict");
    std::size_t total = 2 * 4 + 7;
    for (std::size_t w : widths) total += w;
    std::printf("%s\n", std::string(total, '-').c_str());
    for (const Row& row : m_rows)
        line(row.id, row.figure, row.measured, row.target, verdictText(row.verdict));
    if (!m_notes.empty()) std::printf("\n");
    for (const std::string& text : m_notes) std::printf("%s\n", text.c_str());
    std::fflush(stdout);
}

}  // namespace qelv::bench
