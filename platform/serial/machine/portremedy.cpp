#include "portremedy.h"

#include "consoletty.h"

#include <QStringList>

namespace qelv {

namespace {

// systemd's escaping of a device name into a unit instance: "pts/3" becomes "pts-3".
QString unitInstance(const QString& devicePath) {
    return devName(devicePath).replace(u'/', u'-');
}

bool isGetty(const QString& comm) {
    static const QStringList kGettys = {QStringLiteral("agetty"), QStringLiteral("getty"),
                                        QStringLiteral("mgetty"), QStringLiteral("serial-getty")};
    return kGettys.contains(comm);
}

}  // namespace

QString remedyForProgram(const QString& comm, const QString& devicePath) {
    if (isGetty(comm))
        return QStringLiteral(
                   "ログイン待ちのゲッティです: systemctl stop serial-getty@%1.service "
                   "で止めてください")
            .arg(unitInstance(devicePath));
    if (comm == QLatin1String("ModemManager"))
        return QStringLiteral(
            "ModemManager がモデムとして掴んでいます: udev 規則で "
            "ID_MM_PORT_IGNORE=1 を付けるか、mmcli --inhibit-device "
            "で放させてください");
    if (comm == QLatin1String("brltty"))
        return QStringLiteral(
            "点字ディスプレイ用の brltty です: 使わないなら systemctl stop "
            "brltty.service で止め、systemctl disable brltty.service "
            "で無効にしてください");
    return {};
}

QString consoleRemedy(const QString& kernelName) {
    return QStringLiteral("カーネルの起動パラメータから console=%1 を外してください")
        .arg(kernelName);
}

}  // namespace qelv
