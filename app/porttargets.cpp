#include "porttargets.h"

#include "networktarget.h"
#include "serialport.h"

#include <QRegularExpression>

namespace qelv {

QString targetProblem(const QString& target) {
    if (target.isEmpty()) return QStringLiteral("no device or URL given");
    QString why;
    if (looksLikeUrl(target) && !parseNetworkTarget(target, &why))
        return QStringLiteral("%1 is no network port: %2").arg(target, why);
    return {};
}

QString addPortTarget(PortTargets& targets, const QString& value) {
    static const QRegularExpression form(
        QStringLiteral("^COM([0-9]{1,2})=(.*)$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const auto match = form.match(value);
    const int n = match.hasMatch() ? match.captured(1).toInt() : 0;
    if (n < 1 || n > kComPorts)
        return QStringLiteral("--port takes COMn=TARGET with n from 1 to 16, not %1").arg(value);
    if (const QString why = targetProblem(match.captured(2)); !why.isEmpty())
        return QStringLiteral("--port COM%1: %2").arg(n).arg(why);
    if (!targets.emplace(n, match.captured(2)).second)
        return QStringLiteral("--port COM%1 is given twice").arg(n);
    return {};
}

std::shared_ptr<PortDirectory> mappedPorts(const QString& dir, const PortTargets& targets) {
    auto ports = PortDirectory::fromOptionOrEnvironment(dir);
    for (const auto& [n, target] : targets) ports->setTarget(n, target);
    return ports;
}

}  // namespace qelv
