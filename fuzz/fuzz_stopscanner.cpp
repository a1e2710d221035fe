// StopScanner fed piece by piece must agree, after every piece, with a search of the whole
// text fed so far.
//
// Input layout: byte 0 picks 1-4 stop texts; each text is a length byte (1-16) and that many
// Latin-1 bytes; then a byte with the number of cuts (0-7) and one byte per cut with the
// length of that piece; whatever remains is the reply, its last piece being the rest. Input
// that runs out early simply gives shorter texts and fewer pieces.

#include "fuzzcheck.h"
#include "stopscanner.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    std::uint8_t byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    QString latin1(std::size_t count) {
        const std::size_t n = std::min(count, m_size - m_pos);
        const QString text = QString::fromLatin1(reinterpret_cast<const char*>(m_data + m_pos),
                                                 static_cast<qsizetype>(n));
        m_pos += n;
        return text;
    }
    QString rest() { return latin1(m_size - m_pos); }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

QString describe(const std::vector<QString>& texts, const QStringList& pieces) {
    QStringList shownTexts;
    for (const QString& text : texts)
        shownTexts << QLatin1Char('"') + qelv::fuzz::escaped(text) + QLatin1Char('"');
    QStringList shownPieces;
    for (const QString& piece : pieces)
        shownPieces << QLatin1Char('"') + qelv::fuzz::escaped(piece) + QLatin1Char('"');
    return QStringLiteral("stop texts {%1}, pieces fed {%2}")
        .arg(shownTexts.join(QStringLiteral(", ")), shownPieces.join(QStringLiteral(", ")));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input input(data, size);
    std::vector<QString> texts;
    const int textCount = 1 + input.byte() % 4;
    for (int i = 0; i < textCount; ++i) {
        QString text = input.latin1(1 + input.byte() % 16);
        // The scanner requires non-empty stop texts.
        if (text.isEmpty()) text = QStringLiteral("\r\n");
        texts.push_back(text);
    }
    std::vector<std::size_t> cuts(input.byte() % 8);
    for (std::size_t& cut : cuts) cut = input.byte();
    const QString reply = input.rest();

    QStringList pieces;
    qsizetype at = 0;
    for (std::size_t cut : cuts) {
        const qsizetype length =
            std::min<qsizetype>(static_cast<qsizetype>(cut), reply.size() - at);
        pieces << reply.sliced(at, length);
        at += length;
    }
    pieces << reply.sliced(at);

    qsizetype longest = 0;
    for (const QString& text : texts) longest = std::max(longest, text.size());
    const qsizetype suffixLimit = std::max<qsizetype>(longest - 1, 2);

    qelv::StopScanner scanner(texts);
    QString fed;
    QStringList soFar;
    for (const QString& piece : pieces) {
        fed += piece;
        soFar << piece;
        const bool got = scanner.feed(piece);
        bool want = false;
        for (const QString& text : texts) want = want || fed.contains(text);
        if (got != want || scanner.found() != want) {
            qelv::fuzz::fail(QStringLiteral("feed() = %1, found() = %2, whole text search = %3; %4")
                                 .arg(got)
                                 .arg(scanner.found())
                                 .arg(want)
                                 .arg(describe(texts, soFar)));
        }
        // Only suffixes up to the promised length can be asked about; a stop text's end stands
        // for the ones a caller is likely to ask.
        std::vector<QString> suffixes{QStringLiteral("\r\n"), fed.right(suffixLimit)};
        for (const QString& text : texts) suffixes.push_back(text.right(suffixLimit));
        for (const QString& suffix : suffixes) {
            // Qt's null and empty strings disagree about ending with "", which means nothing.
            if (suffix.isEmpty()) continue;
            if (scanner.endsWith(suffix) != fed.endsWith(suffix)) {
                qelv::fuzz::fail(QStringLiteral("endsWith(\"%1\") = %2, the text fed ends %3; %4")
                                     .arg(qelv::fuzz::escaped(suffix))
                                     .arg(scanner.endsWith(suffix))
                                     .arg(fed.endsWith(suffix) ? QStringLiteral("with it")
                                                               : QStringLiteral("otherwise"))
                                     .arg(describe(texts, soFar)));
            }
        }
    }
    return 0;
}
