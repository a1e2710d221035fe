#include "stopscanner.h"

#include <algorithm>

namespace qelv {

StopScanner::StopScanner(std::vector<QString> stopTexts) : m_texts(std::move(stopTexts)) {
    qsizetype longest = 0;
    for (const QString& text : m_texts) longest = std::max(longest, text.size());
    m_keep = std::max<qsizetype>(longest - 1, 2);
}

bool StopScanner::feed(QStringView piece) {
    if (piece.isEmpty()) return m_found;
    QString window = m_tail;
    window.append(piece);
    if (!m_found) {
        for (const QString& text : m_texts) {
            if (window.contains(text)) {
                m_found = true;
                break;
            }
        }
    }
    m_tail = window.right(m_keep);
    return m_found;
}

}  // namespace qelv
