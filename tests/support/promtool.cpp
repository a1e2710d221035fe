#include "promtool.h"

#include <QProcess>
#include <QStandardPaths>

namespace qelv::test {

PromtoolVerdict promtoolCheck(const QByteArray& exposition) {
    const QString promtool = QStandardPaths::findExecutable(QStringLiteral("promtool"));
    if (promtool.isEmpty())
        return {-1, QStringLiteral("promtool is not installed (scripts/deps.sh installs it)")};
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(promtool, {QStringLiteral("check"), QStringLiteral("metrics")});
    if (!process.waitForStarted(10000)) return {-1, QStringLiteral("promtool did not start")};
    process.write(exposition);
    process.closeWriteChannel();
    if (!process.waitForFinished(30000)) return {-1, QStringLiteral("promtool did not finish")};
    return {process.exitCode(), QString::fromUtf8(process.readAll())};
}

}  // namespace qelv::test
