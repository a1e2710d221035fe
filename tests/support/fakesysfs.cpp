#include "fakesysfs.h"

#include <QDir>
#include <QFile>

namespace qelv::test {

namespace {

void write(const QString& path, const QString& text) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(text.toUtf8() + '\n');
}

}  // namespace

void FakeSysfs::add(const Tty& tty, const QString& deviceNumber) {
    const QDir root(m_dir.path());
    const QString hardware = root.filePath(QStringLiteral("devices/hw-") + tty.name);
    const QString ttyDir = tty.driver.isEmpty()
                               ? root.filePath(QStringLiteral("devices/virtual/tty/") + tty.name)
                               : hardware + QStringLiteral("/port/tty/") + tty.name;
    root.mkpath(ttyDir);
    if (!tty.driver.isEmpty()) {
        QFile::link(root.filePath(QStringLiteral("bus/x/drivers/") + tty.driver),
                    hardware + QStringLiteral("/driver"));
        if (tty.serialBase)
            QFile::link(root.filePath(QStringLiteral("bus/serial-base/drivers/port")),
                        hardware + QStringLiteral("/port/driver"));
        QFile::link(tty.serialBase ? hardware + QStringLiteral("/port") : hardware,
                    ttyDir + QStringLiteral("/device"));
    }
    if (tty.portType) write(ttyDir + QStringLiteral("/type"), QString::number(*tty.portType));
    if (!tty.console.isEmpty()) write(ttyDir + QStringLiteral("/console"), tty.console);
    root.mkpath(QStringLiteral("class/tty"));
    QFile::link(ttyDir, root.filePath(QStringLiteral("class/tty/") + tty.name));
    if (!deviceNumber.isEmpty()) {
        root.mkpath(QStringLiteral("dev/char"));
        QFile::link(ttyDir, root.filePath(QStringLiteral("dev/char/") + deviceNumber));
    }
}

void FakeSysfs::setActiveConsoles(const QString& names) {
    const QDir root(m_dir.path());
    root.mkpath(QStringLiteral("class/tty/console"));
    write(root.filePath(QStringLiteral("class/tty/console/active")), names);
}

}  // namespace qelv::test
