#include "portremedy.h"
#include "porttexts.h"

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
    if (isGetty(comm)) return porttexts::kStopGetty.arg(unitInstance(devicePath));
    if (comm == QLatin1String("ModemManager")) return porttexts::kReleaseFromModemManager;
    if (comm == QLatin1String("brltty")) return porttexts::kStopBrltty;
    return {};
}

QString consoleRemedy(const QString& kernelName) {
    return porttexts::kLeaveConsole.arg(kernelName);
}

}  // namespace qelv
