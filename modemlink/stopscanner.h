#pragma once

/// \file
/// StopScanner, the search for stop texts in a reply that arrives piece by piece.

#include "qelvexport.h"

#include <QString>
#include <QStringView>

#include <vector>

namespace qelv {

/// Finds stop texts in a reply that arrives piece by piece. Each piece is searched together
/// with the last (longest stop text - 1) characters before it, which is exactly the part of
/// the reply where a new occurrence can end; so a stop text split across reads is found as
/// soon as its last character arrives, and a cycle costs work in proportion to what arrived,
/// not to the whole reply. The result always agrees with a search of the whole text.
class QELV_EXPORT StopScanner {
public:
    /// Searches for any of `stopTexts`, each matched exactly and case-sensitively.
    explicit StopScanner(std::vector<QString> stopTexts);

    /// Feeds the next piece. Returns true once any stop text has occurred in everything fed so
    /// far (and keeps returning true).
    bool feed(QStringView piece);
    /// Whether any stop text has occurred in everything fed so far.
    bool found() const { return m_found; }
    /// Whether everything fed so far ends with `suffix`, which must be no longer than the
    /// longest stop text less one character, or than 2 characters if that is more.
    bool endsWith(QStringView suffix) const { return m_tail.endsWith(suffix); }

private:
    std::vector<QString> m_texts;
    qsizetype m_keep = 0;
    QString m_tail;
    bool m_found = false;
};

}  // namespace qelv
