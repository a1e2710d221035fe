// Why an AT check failed, from what the survey saw of the exchange.

#include "atfailure.h"
#include "modemerror.h"

#include <gtest/gtest.h>

using namespace qelv;
using namespace qelv::survey;

namespace {

AtAttempt answered(const QString& reply) {
    AtAttempt attempt;
    attempt.opened = true;
    attempt.answered = true;
    attempt.reply = reply;
    attempt.waitMs = 2000;
    return attempt;
}

AtAttempt failedWith(int number) {
    AtAttempt attempt = answered(QString());
    attempt.answered = false;
    attempt.errorNumber = number;
    return attempt;
}

AtAttempt notReopened() {
    AtAttempt attempt = failedWith(errc::kPortNotOpen);
    attempt.opened = false;
    attempt.openError = QStringLiteral("使用中です: /dev/pts/3");
    return attempt;
}

TEST(AtFailure, EachWayAnExchangeFailsHasItsReason) {
    const std::pair<AtAttempt, QString> rows[] = {
        {answered(""), "応答がありません（2000 ms 以内）"},
        {answered("\r\nERROR\r\n"), "「OK」を含まない応答です"},
        {answered("\r\nok\r\n"), "「OK」を含まない応答です"},
        {answered("\x01LOOK\r\nxOKx"), "「OK」が単独の行になっていない応答です"},
        {failedWith(errc::kPortIoFailed), "機器との接続が切れました（エラー 8015）"},
        {failedWith(errc::kInvalidPropertyValue), "通信に失敗しました（エラー 380）"},
        // The open's own reason wins over the error of the exchange that followed it.
        {notReopened(), "ポートを開けませんでした: 使用中です: /dev/pts/3"},
    };
    for (const auto& [attempt, reason] : rows) EXPECT_EQ(explainAtFailure(attempt).reason, reason);
}

TEST(AtFailure, TheReplyIsKeptExactlyUpToTheCap) {
    EXPECT_EQ(explainAtFailure(answered("\r\nok\r\n")).reply, "\r\nok\r\n");
    const QString flood = QString(kKeptReply, u'D') + "TAIL";
    EXPECT_EQ(explainAtFailure(answered(flood)).reply, QString(kKeptReply, u'D'));
    EXPECT_TRUE(explainAtFailure(failedWith(errc::kPortIoFailed)).reply.isEmpty());
    EXPECT_TRUE(explainAtFailure(notReopened()).reply.isEmpty());
}

}  // namespace
