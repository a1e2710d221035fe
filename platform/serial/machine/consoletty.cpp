#include "consoletty.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace qelv {

namespace {

QByteArray readSmall(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.read(4096).trimmed();
}

}  // namespace

QString devName(const QString& devicePath) {
    const QString dev = QStringLiteral("/dev/");
    if (devicePath.startsWith(dev) && devicePath.size() > dev.size())
        return devicePath.mid(dev.size());
    return QFileInfo(devicePath).fileName();
}

QString kernelTtyName(const QString& devicePath) {
    return devName(devicePath).remove(u'/');
}

bool isKernelConsole(const QString& kernelName, const QString& sysClassTty) {
    if (kernelName.isEmpty()) return false;
    const QDir sys(sysClassTty);
    const QList<QByteArray> active =
        readSmall(sys.filePath(QStringLiteral("console/active"))).simplified().split(' ');
    if (active.contains(kernelName.toLatin1())) return true;
    const QByteArray own = readSmall(sys.filePath(kernelName + QStringLiteral("/console")));
    return own == "Y" || own == "1";
}

}  // namespace qelv
