// The sysfs side of the device facts: stat, readlink and attribute reads only. Opening the
// device itself would raise DTR and can reset what is behind it.

#include "devicefacts.h"
#include "networktarget.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace qelv {

namespace {

QString attribute(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromLocal8Bit(file.read(4096)).trimmed();
}

// The driver that binds the hardware. Since Linux 6.5 the tty's own device sits on the
// serial-base bus, whose "port" and "ctrl" drivers say nothing; the real one is further up.
QString driverAbove(const QString& ttyDir) {
    QString dir = QFileInfo(ttyDir + QStringLiteral("/device")).canonicalFilePath();
    for (int level = 0; level < 4 && !dir.isEmpty(); ++level) {
        const QString target = QFileInfo(dir + QStringLiteral("/driver")).symLinkTarget();
        if (!target.isEmpty() && !target.contains(QLatin1String("/bus/serial-base/")))
            return QFileInfo(target).fileName();
        QDir up(dir);
        if (!up.cdUp()) break;
        dir = up.path();
    }
    return {};
}

bool isConsole(const QString& ttyDir, const QString& name, const QString& sysRoot) {
    const QString own = attribute(ttyDir + QStringLiteral("/console"));
    if (!own.isEmpty()) return own == u'Y';
    const QString active = attribute(sysRoot + QStringLiteral("/class/tty/console/active"));
    return active.split(u' ', Qt::SkipEmptyParts).contains(name);
}

void readTtyDir(SysfsTty& tty, const QString& ttyDir, const QString& sysRoot) {
    tty.hasHardware = QFileInfo::exists(ttyDir + QStringLiteral("/device"));
    bool ok = false;
    const int type = attribute(ttyDir + QStringLiteral("/type")).toInt(&ok);
    if (ok) tty.portType = type;
    if (tty.hasHardware) tty.driver = driverAbove(ttyDir);
    tty.console = isConsole(ttyDir, tty.name, sysRoot);
}

}  // namespace

SysfsTty readSysfsTty(const QString& path, const QString& sysRoot) {
    SysfsTty tty;
    const QString node = QFileInfo(path).canonicalFilePath();
    struct stat st {};
    if (node.isEmpty() || ::stat(QFile::encodeName(node).constData(), &st) != 0) return tty;
    tty.exists = true;
    tty.charDevice = S_ISCHR(st.st_mode);
    if (!tty.charDevice) return tty;
    tty.major = static_cast<int>(major(st.st_rdev));
    const QString byNumber = QStringLiteral("%1/dev/char/%2:%3")
                                 .arg(sysRoot)
                                 .arg(major(st.st_rdev))
                                 .arg(minor(st.st_rdev));
    const QString ttyDir = QFileInfo(byNumber).canonicalFilePath();
    if (ttyDir.isEmpty() || QFileInfo(QFileInfo(ttyDir).path()).fileName() != QLatin1String("tty"))
        return tty;
    tty.name = QFileInfo(ttyDir).fileName();
    readTtyDir(tty, ttyDir, sysRoot);
    return tty;
}

DeviceFacts readDeviceFacts(const QString& path, const DeviceFactsSources& sources) {
    if (looksLikeUrl(path)) return networkFacts(path);
    const SysfsTty tty = readSysfsTty(path, sources.sysRoot);
    const QString node = QFileInfo(path).canonicalFilePath();
    UdevProperties udev;
    if (!tty.name.isEmpty())
        udev = sources.udev ? sources.udev(tty.name) : udevPropertiesOf(tty.name);
    return factsFrom(node.isEmpty() ? path : node, tty, udev);
}

std::vector<QString> systemSerialDevices(const DeviceFactsSources& sources) {
    std::vector<QString> nodes;
    const QString classDir = sources.sysRoot + QStringLiteral("/class/tty");
    for (const QString& name :
         QDir(classDir).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System)) {
        SysfsTty tty;
        tty.name = name;
        readTtyDir(tty, classDir + u'/' + name, sources.sysRoot);
        if (!tty.hasHardware || tty.portType == 0) continue;
        nodes.push_back(QStringLiteral("/dev/") + name);
    }
    return nodes;
}

}  // namespace qelv
