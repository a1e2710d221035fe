// The three survey passes: which ports open, which accept AT commands, what they say.

#include "mainform.h"

#include "atfailure.h"
#include "mdcomm.h"
#include "okline.h"
#include "surveytexts.h"
#include "ticksbetween.h"

namespace qelv {

using namespace survey;

namespace {

// A step that failed before the open leaves no kind of open failure: still a failure.
OpenFailure failureOf(const ErrorRule& rule) {
    return rule.failure() == OpenFailure::None ? OpenFailure::Other : rule.failure();
}

}  // namespace

void MainForm::DetectPorts() {
    m_rule.clear();
    m_rule.step([&] { m_w.StatusBar1.setSimpleText(kDetectStatus); });
    for (std::int16_t n = kFirstPort; n <= kLastPort; ++n) detectPort(n);
}

void MainForm::detectPort(std::int16_t n) {
    m_rule.step([&] { m_env.pump.pumpPending(); });
    m_rule.step([&] { m_w.MSFlexGrid1.setRow(n); });
    m_rule.step([&] { m_w.MSFlexGrid1.setCol(kPortCol); });
    m_rule.step([&] { m_w.MSFlexGrid1.setText(portName(n)); });
    if (m_env.describePort)
        m_rule.step([&] {
            m_surveyedDevices[static_cast<std::size_t>(n)] = m_env.describePort(n);
            m_w.MSFlexGrid1.setCellToolTip(m_surveyedDevices[static_cast<std::size_t>(n)]);
        });
    openPort(n);
    // The test looks at the error state, not at the port: any failed step of this iteration
    // makes the port count as not opened.
    const bool opened = m_rule.number() == 0;
    const QString why = opened ? QString() : m_rule.message();
    const OpenFailure failure = opened ? OpenFailure::None : failureOf(m_rule);
    m_rule.step([&] { m_w.MSFlexGrid1.setCol(kOpenCol); });
    m_rule.step([&] { m_w.MSFlexGrid1.setText(opened ? QStringLiteral("OK") : QString()); });
    m_rule.step([&] { m_w.MSFlexGrid1.setCellBackColor(opened ? kMark : kWhite); });
    m_rule.step([&] { m_w.MSFlexGrid1.setCellToolTip(why); });
    m_rule.step([&] { m_w.MSFlexGrid1.setCellFailure(failure); });
    closePort();
    advanceProgress();
    m_rule.clear();
}

void MainForm::CheckAtAcceptance() {
    runAtPass({kAtStatus, kOpenCol, "ATE0Q0V1", kAtCol});
}

void MainForm::ReadDeviceInfo() {
    runAtPass({kInfoStatus, kAtCol, "ATI4I2I0", kInfoCol});
    m_rule.step([&] { m_w.MSFlexGrid1.setCol(kInfoCol); });
    m_rule.step([&] { m_w.StatusBar1.setSimpleText(QString()); });
}

void MainForm::runAtPass(const AtPass& pass) {
    if (m_env.parallel && m_env.newPort) {
        runAtPassTogether(pass);
        return;
    }
    m_rule.clear();
    m_rule.step([&] { m_w.StatusBar1.setSimpleText(pass.status); });
    for (std::int16_t n = kFirstPort; n <= kLastPort; ++n) {
        // A skipped port leaves the error state as it is; only tried ports clear it.
        if (atPort(pass, n)) m_rule.clear();
        advanceProgress();
    }
}

bool MainForm::atPort(const AtPass& pass, std::int16_t n) {
    m_rule.step([&] { m_env.pump.pumpPending(); });
    m_rule.step([&] { m_w.MSFlexGrid1.setRow(n); });
    m_rule.step([&] { m_w.MSFlexGrid1.setCol(pass.markCol); });
    std::uint32_t mark = Grid::kNoColor;
    m_rule.step([&] { mark = m_w.MSFlexGrid1.cellBackColor(); });
    if (mark != kMark) return false;
    AtAttempt attempt;
    attempt.waitMs = kAtWaitMs;
    openPort(n);
    m_rule.step([&] { attempt.opened = unit().MSComm1.portOpen(); });
    if (!attempt.opened) attempt.openError = m_rule.message();
    m_rule.step([&] { unit().Waits(kSettleMs); });
    m_rule.step([&] {
        const std::int32_t sentAt = unit().OnTime();
        attempt.reply =
            unit().SendModem(QLatin1String(pass.command), kAtWaitMs, QStringLiteral("OK"));
        attempt.took = ticksBetween(sentAt, unit().OnTime());
        attempt.answered = true;
    });
    if (!attempt.answered) attempt.errorNumber = m_rule.number();
    judge(pass, n, attempt);
    closePort();
    return true;
}

void MainForm::judge(const AtPass& pass, std::int16_t n, const AtAttempt& attempt) {
    m_exchangeTimes[n][pass.resultCol] =
        attempt.answered ? std::optional(attempt.took) : std::nullopt;
    // Looser than the exchange's own stop test: an "OK" cut off by the time limit counts.
    if (okStandsAlone(attempt.reply)) {
        writeResult(n, pass.resultCol, attempt.reply, kMark, {});
        return;
    }
    const AtFailure failure = explainAtFailure(attempt);
    if (pass.resultCol == kAtCol) m_atFailures[static_cast<std::size_t>(n)] = failure;
    writeResult(n, pass.resultCol, QString(), kWhite, failure);
}

void MainForm::writeResult(std::int16_t n, int col, const QString& text, std::uint32_t color,
                           const AtFailure& failure) {
    // The waits above ran window events, so the current cell is chosen afresh.
    m_rule.step([&] { m_w.MSFlexGrid1.setRow(n); });
    m_rule.step([&] { m_w.MSFlexGrid1.setCol(col); });
    m_rule.step([&] { m_w.MSFlexGrid1.setText(text); });
    m_rule.step([&] { m_w.MSFlexGrid1.setCellBackColor(color); });
    // A cell that passes now loses what an earlier survey said against it.
    m_rule.step([&] { m_w.MSFlexGrid1.setCellToolTip(failure.reason); });
    m_rule.step([&] { m_w.MSFlexGrid1.setCellReply(failure.reply); });
}

}  // namespace qelv
