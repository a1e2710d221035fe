// How `qel-v at` judges an ending, from a table: every operation's success, its
// ERROR-class replies and its silence, with rows that look like a result but are not one.

#include "atverdict.h"
#include "resultcode.h"

#include <gtest/gtest.h>

using namespace qelv;

namespace {

struct Row {
    AtOp op;
    const char* reply;  // nullptr for attrue, whose code is given instead
    int attrueCode;
    bool fixedWait;
    AtVerdict verdict;
};

constexpr AtVerdict S = AtVerdict::Success;
constexpr AtVerdict R = AtVerdict::Refused;
constexpr AtVerdict N = AtVerdict::NoAnswer;

const Row kRows[] = {
    // sendmodem: its stop text decides, with CR LF after it.
    {AtOp::SendModem, "\r\nOK\r\n", 0, false, S},
    {AtOp::SendModem, "\r\nERROR\r\n", 0, false, R},
    {AtOp::SendModem, "", 0, false, N},
    {AtOp::SendModem, "\r\nOK", 0, false, N},      // cut off before CR LF
    {AtOp::SendModem, "\r\nok\r\n", 0, false, N},  // lower case is no result
    {AtOp::SendModem, "\r\nNO CARRIER\r\n", 0, false, R},
    {AtOp::SendModem, "$GPGGA,1234,N*5C\r\n", 0, false, N},
    {AtOp::SendModemNotCr, "\r\nOK\r\n", 0, false, S},
    // reback, atcret: the result the reply holds.
    {AtOp::ReBack, "\r\nCONNECT 9600\r\n", 0, false, S},
    {AtOp::ReBack, "\r\nBUSY\r\n", 0, false, R},
    {AtOp::ReBack, "\r\nRING\r\n", 0, false, R},
    {AtOp::ReBack, "\r\nLINE OFF \r\n", 0, false, R},
    {AtOp::ReBack, "noise", 0, false, N},
    {AtOp::AtcRet, "\r\nOK\r\n", 0, false, S},
    {AtOp::AtcRet, "\r\nCONNECT 9600\r\nNO CARRIER\r\n", 0, false, R},
    {AtOp::AtcRet, "\r\nNO ANSWER\r\n", 0, false, R},
    {AtOp::AtcRet, "\r\nNO DIALTONE\r\n", 0, false, R},
    {AtOp::AtcRet, "", 0, true, N},
    {AtOp::AtcRet, "\r\nANSWERED\r\n", 0, true, N},
    // atcinterret: the text before OK, which holds no OK of its own.
    {AtOp::AtcInterRet, "V1.2", 0, false, S},
    {AtOp::AtcInterRet, "", 0, false, S},
    {AtOp::AtcInterRet, "ERROR", 0, false, R},
    {AtOp::AtcInterRet, "", 0, true, N},
    {AtOp::AtcInterRet, "V1.2", 0, true, S},
    // attrue: its own code.
    {AtOp::AtTrue, nullptr, 0, false, S},
    {AtOp::AtTrue, nullptr, 1, false, R},
    {AtOp::AtTrue, nullptr, -1, false, N},
    // bufclr cannot fail short of an error.
    {AtOp::BufClr, "", 0, false, S},
};

TEST(AtVerdict, EveryOperationIsJudgedByItsOwnRule) {
    for (const Row& row : kRows) {
        AtEnding ending;
        ending.op = row.op;
        ending.expect = QStringLiteral("OK");
        ending.fixedWait = row.fixedWait;
        if (row.reply) {
            ending.reply = QString::fromLatin1(row.reply);
            ending.code = classifyResult(*ending.reply);
        } else {
            ending.code = row.attrueCode;
        }
        EXPECT_EQ(atVerdict(ending), row.verdict)
            << static_cast<int>(row.op) << " " << (row.reply ? row.reply : "(attrue)");
    }
}

TEST(AtVerdict, AnotherSuccessThanTheExpectedOneIsNoAnswer) {
    AtEnding ending{AtOp::SendModem, QStringLiteral("\r\nOK\r\n"), 0, QStringLiteral("CONNECT"),
                    false};
    EXPECT_EQ(atVerdict(ending), AtVerdict::NoAnswer);
    ending.reply = QStringLiteral("\r\nCONNECT\r\n");
    ending.code = 1;
    EXPECT_EQ(atVerdict(ending), AtVerdict::Success);
}

TEST(AtVerdict, ARunOutTimeoutIsNoAnswerWhateverArrivedBeforeIt) {
    for (const AtOp op : {AtOp::AtcRet, AtOp::AtcInterRet}) {
        AtEnding ending{op, QStringLiteral("\r\nCONNECT 9600\r\n"), 1, {}, false};
        EXPECT_EQ(atVerdict(ending), AtVerdict::Success);
        ending.timedOut = true;
        EXPECT_EQ(atVerdict(ending), AtVerdict::NoAnswer);
    }
}

TEST(AtVerdict, StatusesAreDistinct) {
    EXPECT_EQ(exitStatusOf(AtVerdict::Success), 0);
    EXPECT_EQ(exitStatusOf(AtVerdict::Refused), kExitAtRefused);
    EXPECT_EQ(exitStatusOf(AtVerdict::NoAnswer), kExitAtNoAnswer);
    EXPECT_NE(kExitAtRefused, kExitAtNoAnswer);
    for (int status : {kExitAtRefused, kExitAtNoAnswer}) {
        EXPECT_NE(status, 1);  // failure
        EXPECT_NE(status, 2);  // usage
    }
}

}  // namespace
