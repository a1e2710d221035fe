#include "resultcode.h"

#include <gtest/gtest.h>

#include <ostream>
#include <utility>

namespace qelv {
namespace {

struct ResultCase {
    const char* name;
    QString reply;
    int expected;
};

void PrintTo(const ResultCase& c, std::ostream* os) {
    *os << c.name;
}

class ClassifyResultTest : public ::testing::TestWithParam<ResultCase> {};

TEST_P(ClassifyResultTest, GivesExpectedCode) {
    EXPECT_EQ(classifyResult(GetParam().reply), GetParam().expected);
}

const ResultCase kSingleRows[] = {
    {"Empty", QString(), -1},
    {"Ok", QStringLiteral("OK\r\n"), 0},
    {"LowercaseOkIsNoMatch", QStringLiteral("ok\r\n"), -1},
    {"Ring", QStringLiteral("RING"), 2},
    {"Busy", QStringLiteral("BUSY"), 7},
    {"Error", QStringLiteral("\r\nERROR\r\n"), 4},
    {"Connect", QStringLiteral("CONNECT"), 1},
    {"NoCarrier", QStringLiteral("NO CARRIER"), 3},
    {"Connect1200", QStringLiteral("CONNECT1200"), 5},
    {"Connect2400", QStringLiteral("CONNECT2400"), 10},
    {"Connect4800", QStringLiteral("CONNECT4800"), 11},
    {"Connect9600", QStringLiteral("CONNECT9600"), 12},
    {"Connect14400", QStringLiteral("CONNECT14400"), 13},
    {"Connect19200", QStringLiteral("CONNECT19200"), 14},
    {"Connect57600", QStringLiteral("CONNECT57600"), 18},
    {"Connect64000", QStringLiteral("CONNECT64000"), 19},
    {"Connect32000", QStringLiteral("CONNECT32000"), 21},
    {"Connect28800", QStringLiteral("CONNECT28800"), 26},
    {"Connect38400", QStringLiteral("CONNECT38400"), 28},
    {"CompressionV42bis", QStringLiteral("COMPRESSION:V.42bis"), 67},
    {"CompressionNone", QStringLiteral("COMPRESSION:NONE"), 69},
    {"ProtocolPiafs", QStringLiteral("PROTOCOL:PIAFS"), 82},
    {"LineOff", QStringLiteral("\r\nLINE OFF "), 300},
    {"Delayed", QStringLiteral("DELAYED\r\n"), 7},
};

const ResultCase kNonMatches[] = {
    {"DelayedWithoutLineEnd", QStringLiteral("DELAYED"), -1},
    {"LineOffWithoutLeadingLineEnd", QStringLiteral("LINE OFF "), -1},
    {"LineOffWithoutTrailingSpace", QStringLiteral("\r\nLINE OFF\r\n"), -1},
    {"UppercaseV42Bis", QStringLiteral("COMPRESSION:V.42BIS"), -1},
    {"LowercaseConnect", QStringLiteral("connect 9600"), -1},
    {"SplitOk", QStringLiteral("O K"), -1},
    {"NoiseOnly", QStringLiteral("AT&F\r\n"), -1},
};

const ResultCase kCombinations[] = {
    {"ConnectWithSpaceIsPlainConnect", QStringLiteral("CONNECT 9600"), 1},
    {"RingingContainsRing", QStringLiteral("RINGING"), 2},
    {"SpeedThenCompression", QStringLiteral("CONNECT2400\r\nCOMPRESSION:V.42bis\r\n"), 67},
    {"SpeedBeatsLaterNoCarrier", QStringLiteral("CONNECT9600\r\n\r\nNO CARRIER\r\n"), 12},
    {"ErrorBeatsEarlierOk", QStringLiteral("OK\r\n\r\nERROR\r\n"), 4},
    {"ConnectBeatsEarlierError", QStringLiteral("ERROR\r\nCONNECT\r\n"), 1},
    {"OkInsideErrorTextStillError", QStringLiteral("ERROR\r\nOK"), 4},
    {"DelayedBeatsEverything",
     QStringLiteral("OK RING BUSY ERROR CONNECT NO CARRIER CONNECT38400 COMPRESSION:V.42bis "
                    "COMPRESSION:NONE PROTOCOL:PIAFS\r\nLINE OFF DELAYED\r\n"),
     7},
    {"LineOffBeatsPiafs", QStringLiteral("PROTOCOL:PIAFS\r\nLINE OFF "), 300},
    {"LineOffBeatsPiafsEitherOrder", QStringLiteral("\r\nLINE OFF PROTOCOL:PIAFS"), 300},
    {"NoneBeatsV42bis", QStringLiteral("COMPRESSION:NONE COMPRESSION:V.42bis"), 69},
    {"Connect38400BeatsConnect14400", QStringLiteral("CONNECT38400 CONNECT14400"), 28},
    {"NoCarrierBeatsConnect", QStringLiteral("CONNECT\r\nNO CARRIER"), 3},
    {"BusyLosesToError", QStringLiteral("BUSY ERROR"), 4},
    {"DelayedWithoutLineEndLeavesBusy", QStringLiteral("BUSY DELAYED"), 7},
    {"DelayedWithoutLineEndLeavesOk", QStringLiteral("OK DELAYED"), 0},
};

std::string caseName(const ::testing::TestParamInfo<ResultCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(SingleRows, ClassifyResultTest, ::testing::ValuesIn(kSingleRows),
                         caseName);
INSTANTIATE_TEST_SUITE_P(NonMatches, ClassifyResultTest, ::testing::ValuesIn(kNonMatches),
                         caseName);
INSTANTIATE_TEST_SUITE_P(Combinations, ClassifyResultTest, ::testing::ValuesIn(kCombinations),
                         caseName);

// The plain forward algorithm, kept apart from the production table so the two can disagree.
const std::pair<const char16_t*, int> kReferenceTable[] = {
    {u"OK", 0},
    {u"RING", 2},
    {u"BUSY", 7},
    {u"ERROR", 4},
    {u"CONNECT", 1},
    {u"NO CARRIER", 3},
    {u"CONNECT1200", 5},
    {u"CONNECT2400", 10},
    {u"CONNECT4800", 11},
    {u"CONNECT9600", 12},
    {u"CONNECT14400", 13},
    {u"CONNECT19200", 14},
    {u"CONNECT57600", 18},
    {u"CONNECT64000", 19},
    {u"CONNECT32000", 21},
    {u"CONNECT28800", 26},
    {u"CONNECT38400", 28},
    {u"COMPRESSION:V.42bis", 67},
    {u"COMPRESSION:NONE", 69},
    {u"PROTOCOL:PIAFS", 82},
    {u"\r\nLINE OFF ", 300},
    {u"DELAYED\r\n", 7},
};

int referenceClassify(const QString& reply) {
    int code = -1;
    for (const auto& [text, rowCode] : kReferenceTable) {
        if (reply.contains(QString::fromUtf16(text))) code = rowCode;
    }
    return code;
}

TEST(ClassifyResult, AgreesWithForwardScanOnEveryPairOfRows) {
    for (const auto& first : kReferenceTable) {
        for (const auto& second : kReferenceTable) {
            for (const char16_t* glue : {u"", u" ", u"\r\n"}) {
                const QString reply = QString::fromUtf16(first.first) + QString::fromUtf16(glue) +
                                      QString::fromUtf16(second.first);
                EXPECT_EQ(classifyResult(reply), referenceClassify(reply)) << reply.toStdString();
            }
        }
    }
}

}  // namespace
}  // namespace qelv
