#pragma once

#include <QString>
#include <QStringView>

namespace qelv {

// Accumulates a reply. A device that floods for the whole time limit must not grow memory
// without bound, so beyond `cap` characters the oldest ones are dropped: the end of a reply,
// where result codes stand, is what callers look at.
class ReplyText {
public:
    explicit ReplyText(qsizetype cap) : m_cap(cap) {}

    void append(QStringView piece) {
        m_text.append(piece);
        // Trimming only once a quarter over the cap keeps appends amortised O(1).
        if (m_text.size() > m_cap + m_cap / 4) trim();
    }
    void assign(const QString& text) {
        m_text = text;
        trim();
    }
    QString take() {
        trim();
        return std::move(m_text);
    }
    const QString& text() const { return m_text; }

private:
    void trim() {
        if (m_text.size() > m_cap) m_text.remove(0, m_text.size() - m_cap);
    }

    qsizetype m_cap;
    QString m_text;
};

}  // namespace qelv
