// Which replies pass an AT check of the survey: "OK" as a line of its own, never the two
// letters inside other text.

#include "okline.h"

#include <gtest/gtest.h>

#include <QString>

#include <random>

using namespace qelv::survey;

namespace {

// A megabyte of random bytes as a device that floods noise sends it, with "OK" inside other
// text many times over and never as a line of its own.
QString noiseHoldingOk() {
    std::mt19937 random(21);
    QString noise;
    noise.reserve(1 << 20);
    for (int i = 0; i < (1 << 20); ++i) noise += QChar(static_cast<char16_t>(random() & 0xFF));
    for (qsizetype at = 1000; at + 4 < noise.size(); at += 50'000)
        noise.replace(at, 4, QStringLiteral("xOKy"));
    // Chance may have framed one by line ends; noise of that kind is not what this row is.
    for (qsizetype at = noise.indexOf(u"OK"); at >= 0; at = noise.indexOf(u"OK", at + 1)) {
        if (at > 0) noise[at - 1] = u'-';
        if (at + 2 < noise.size()) noise[at + 2] = u'-';
    }
    return noise;
}

TEST(OkLine, NoiseOrOkInsideOtherTextDoesNotPass) {
    const QString noise = noiseHoldingOk();
    ASSERT_GT(noise.count(u"OK"), 17);
    EXPECT_FALSE(okStandsAlone(noise));
    const char* rows[] = {
        "",         "O",
        "K",        "LOOK",
        "OKAY",     "\r\nOKAY\r\n",
        "xOK\r\n",  "\r\nOKx",
        " OK\r\n",  "\r\nOK \r\n",
        "\tOK",     "\r\nok\r\n",
        "Ok",       "oK",
        "O K",      "0K",
        "OK OK",    "\r\nBOOK\r\nTOOK\r\n",
        "\x01OK\n", "\r\nOK\x80",
        "OKOK",     "\r\nERROR\r\n",
    };
    for (const char* row : rows) EXPECT_FALSE(okStandsAlone(QString::fromLatin1(row))) << row;
}

TEST(OkLine, OkOnALineOfItsOwnPasses) {
    const char* rows[] = {
        "OK",                                             // no line end at all (nolf)
        "\r\nOK\r\n",                                     // V.250 framing
        "ATE0Q0V1\r\r\nOK\r\n",                           // echo, then the result
        "\r\nSIM-5600\r\n\r\nOK\r\n",                     // information, then the result
        "\x1b[2J\xff\x01garbage\r\nmore LOOK\r\nOK\r\n",  // after garbage lines
        "\r\nOK",         // cut by the time limit at the reply's end
        "\r\nO\r\nOK\r",  // its LF still on the way
        "OK\r\n",         // at the reply's start
        "\nOK\n",         // LF alone
        "\rOK\r",         // CR alone
        "xOKx\r\nOK",     // one inside text, one alone
    };
    for (const char* row : rows) EXPECT_TRUE(okStandsAlone(QString::fromLatin1(row))) << row;
    EXPECT_TRUE(okStandsAlone(noiseHoldingOk() + QStringLiteral("\r\nOK\r\n")));
}

}  // namespace
