#include "stopscanner.h"

#include <gtest/gtest.h>

#include <random>

using namespace qelv;

namespace {

TEST(StopScanner, FindsATextSplitAcrossPiecesAsItsLastCharacterArrives) {
    StopScanner scanner({QStringLiteral("OK\r\n")});
    EXPECT_FALSE(scanner.feed(u"\r\nO"));
    EXPECT_FALSE(scanner.feed(u"K"));
    EXPECT_FALSE(scanner.feed(u"\r"));
    EXPECT_TRUE(scanner.feed(u"\n"));
    EXPECT_TRUE(scanner.feed(u"more"));
}

TEST(StopScanner, MatchesTheExactTextAnywhereAndNothingLikeIt) {
    const std::pair<const char16_t*, bool> rows[] = {
        {u"LOOK\r\n", true},                        // substring match
        {u"xxOK\r\nyy", true}, {u"OK", false},      // no line end yet
        {u"OK\r", false},      {u"ok\r\n", false},  // case differs
        {u"O K\r\n", false},   {u"OK\n\r", false}, {u"OK \r\n", false},
    };
    for (const auto& [text, expected] : rows) {
        StopScanner scanner({QStringLiteral("OK\r\n")});
        EXPECT_EQ(scanner.feed(QStringView(text)), expected)
            << QString::fromUtf16(text).toStdString();
    }
}

TEST(StopScanner, EndsWithSeesAcrossPieces) {
    StopScanner scanner({QStringLiteral("X")});
    scanner.feed(u"abc\r");
    EXPECT_FALSE(scanner.endsWith(u"\r\n"));
    scanner.feed(u"\n");
    EXPECT_TRUE(scanner.endsWith(u"\r\n"));
}

// The incremental search must agree with a search of the whole text, for any split.
TEST(StopScanner, AgreesWithWholeTextSearchOverRandomSplits) {
    std::mt19937 random(20261207);
    const QString alphabet = QStringLiteral("OKERCNT\r\n ");
    const std::vector<QString> stops = {QStringLiteral("OK\r\n"), QStringLiteral("ERROR\r\n"),
                                        QStringLiteral("\r\nLINE OFF "), QStringLiteral("K")};
    for (int round = 0; round < 3000; ++round) {
        const std::vector<QString> texts = {stops[random() % stops.size()],
                                            stops[random() % stops.size()]};
        QString reply;
        const int length = static_cast<int>(random() % 40);
        for (int i = 0; i < length; ++i)
            reply += alphabet.at(static_cast<qsizetype>(random() % alphabet.size()));
        StopScanner scanner(texts);
        qsizetype pos = 0;
        while (pos < reply.size()) {
            const qsizetype piece = 1 + static_cast<qsizetype>(random() % 6);
            const QString fed = reply.left(pos + piece);
            const bool whole = std::any_of(texts.begin(), texts.end(),
                                           [&](const QString& t) { return fed.contains(t); });
            ASSERT_EQ(scanner.feed(QStringView(reply).mid(pos, piece)), whole) << fed.toStdString();
            pos += piece;
        }
    }
}

}  // namespace
