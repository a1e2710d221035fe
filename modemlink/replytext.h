#pragma once

/// \file
/// ReplyText, a reply that keeps its latest characters up to a cap.

#include <QString>
#include <QStringView>

namespace qelv {

/// Accumulates a reply. A device that floods for the whole time limit must not grow memory
/// without bound, so beyond `cap` characters the oldest ones are dropped: the end of a reply,
/// where result codes stand, is what callers look at.
class ReplyText {
public:
    /// Empty, keeping at most `cap` characters.
    explicit ReplyText(qsizetype cap) : m_cap(cap) {}

    /// Adds `piece` at the end.
    void append(QStringView piece) {
        m_text.append(piece);
        // Trimming only once a quarter over the cap keeps appends amortised O(1).
        if (m_text.size() > m_cap + m_cap / 4) trim();
    }
    /// Replaces the reply with `text`, of which the last `cap` characters are kept.
    void assign(const QString& text) {
        m_text = text;
        trim();
    }
    /// Moves the reply out: at most `cap` characters, the latest ones.
    QString take() {
        trim();
        return std::move(m_text);
    }
    /// The reply so far, which may still hold up to a quarter more than `cap` characters.
    const QString& text() const { return m_text; }

private:
    void trim() {
        if (m_text.size() > m_cap) m_text.remove(0, m_text.size() - m_cap);
    }

    qsizetype m_cap;
    QString m_text;
};

}  // namespace qelv
