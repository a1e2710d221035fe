#include "checkverdict.h"

#include "atverdict.h"
#include "metrics/exposition.h"
#include "resultcode.h"
#include "textescape.h"

#include <QRegularExpression>

namespace qelv {

namespace {

using metrics::seconds;

// The most of a device's answer the line quotes.
constexpr qsizetype kQuoted = 60;

QString quoted(const QString& text) {
    QString shown = escapeForTerminal(text);
    if (shown.size() > kQuoted) shown = shown.left(kQuoted) + QStringLiteral("...");
    return u'"' + shown + u'"';
}

// The last line the device sent, which holds its result ("ERROR", "+CME ERROR: 10").
QString lastLine(const QString& reply) {
    static const QRegularExpression lineEnds(QStringLiteral("[\\r\\n]+"));
    const QStringList lines = reply.split(lineEnds, Qt::SkipEmptyParts);
    return lines.isEmpty() ? reply : lines.last();
}

// time=VALUE;WARN;CRIT;0 as the guidelines have it; VALUE "U" when nothing was measured.
QString perfdata(const CheckRequest& r, const QString& value) {
    return QStringLiteral("time=%1;%2;%3;0")
        .arg(value, r.warning ? seconds(*r.warning) : QString(), seconds(r.critical));
}

QString withDevice(const QString& text, const QString& device) {
    return device.isEmpty() ? text : text + QStringLiteral(" (") + escapeForTerminal(device) + u')';
}

CheckResult inTime(const CheckRequest& r, const QString& shown, std::chrono::milliseconds took) {
    QString text =
        QStringLiteral("%1 answered %2 in %3 ms").arg(shown, quoted(r.expect)).arg(took.count());
    CheckStatus status = CheckStatus::Ok;
    if (took > r.critical) {
        status = CheckStatus::Critical;
        text += QStringLiteral(", slower than %1 ms").arg(r.critical.count());
    } else if (r.warning && took > *r.warning) {
        status = CheckStatus::Warning;
        text += QStringLiteral(", slower than %1 ms").arg(r.warning->count());
    }
    return {status, text, perfdata(r, seconds(took) + u's')};
}

}  // namespace

CheckResult judgeAnswer(const CheckRequest& r, const QString& port, const QString& device,
                        const QString& reply, std::chrono::milliseconds took) {
    const QString shown = escapeForTerminal(port);
    const AtEnding ending{AtOp::SendModem, reply, classifyResult(reply), r.expect, false};
    CheckResult result;
    switch (atVerdict(ending)) {
        case AtVerdict::Success:
            result = inTime(r, shown, took);
            break;
        case AtVerdict::Refused:
            result = {CheckStatus::Critical,
                      QStringLiteral("%1 answered %2 instead of %3")
                          .arg(shown, quoted(lastLine(reply)), quoted(r.expect)),
                      perfdata(r, seconds(took) + u's')};
            break;
        case AtVerdict::NoAnswer: {
            QString text = QStringLiteral("%1 did not answer %2 within %3 ms")
                               .arg(shown, quoted(r.expect))
                               .arg(r.critical.count());
            if (!reply.isEmpty()) text += QStringLiteral("; it said ") + quoted(lastLine(reply));
            result = {CheckStatus::Critical, text, perfdata(r, QStringLiteral("U"))};
            break;
        }
    }
    result.text = withDevice(result.text, device);
    return result;
}

CheckResult judgeOpenFailure(const ModemError& error) {
    const CheckStatus status =
        error.openFailure() == OpenFailure::Busy ? CheckStatus::Unknown : CheckStatus::Critical;
    return {status, escapeForTerminal(error.message()), {}};
}

CheckResult judgeExchangeFailure(const ModemError& error) {
    return {
        CheckStatus::Critical,
        QStringLiteral("error %1: %2").arg(error.number()).arg(escapeForTerminal(error.message())),
        {}};
}

CheckResult unknown(const QString& why) {
    return {CheckStatus::Unknown, escapeForTerminal(why), {}};
}

QString statusLine(const CheckResult& result) {
    static const char* const kWords[] = {"OK", "WARNING", "CRITICAL", "UNKNOWN"};
    QString text = result.text;
    text.replace(u'|', QStringLiteral("\\x7C"));
    QString line = QStringLiteral("QEL-V %1 - %2")
                       .arg(QLatin1String(kWords[static_cast<int>(result.status)]), text);
    if (!result.perfdata.isEmpty()) line += QStringLiteral(" | ") + result.perfdata;
    return line + u'\n';
}

}  // namespace qelv
