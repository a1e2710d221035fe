#include "portmap.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <QtGlobal>

#include <algorithm>

namespace qelv {

namespace {

constexpr int kMaxPorts = 16;

QString usbIdOf(const QSerialPortInfo& info) {
    if (!info.hasVendorIdentifier() || !info.hasProductIdentifier()) return {};
    return QStringLiteral("%1:%2")
        .arg(info.vendorIdentifier(), 4, 16, QLatin1Char('0'))
        .arg(info.productIdentifier(), 4, 16, QLatin1Char('0'));
}

PortDevice deviceFrom(const QString& path, const QSerialPortInfo& info) {
    return {path, info.description(), info.manufacturer(), usbIdOf(info)};
}

// Splits "ttyUSB10" into ("ttyUSB", 10); a name without trailing digits gets -1.
std::pair<QString, long long> splitNumber(const QString& name) {
    qsizetype i = name.size();
    while (i > 0 && name.at(i - 1).isDigit()) --i;
    if (i == name.size()) return {name, -1};
    return {name.left(i), name.mid(i).toLongLong()};
}

}  // namespace

bool PortMap::systemOrderLess(const QString& a, const QString& b) {
    const bool aOnBoard = a.startsWith(QLatin1String("ttyS"));
    const bool bOnBoard = b.startsWith(QLatin1String("ttyS"));
    if (aOnBoard != bOnBoard) return aOnBoard;
    const auto [aStem, aNumber] = splitNumber(a);
    const auto [bStem, bNumber] = splitNumber(b);
    if (aStem != bStem) return aStem < bStem;
    return aNumber < bNumber;
}

PortMap PortMap::fromDirectory(const QString& dir) {
    PortMap map;
    map.m_dir = dir.isEmpty() ? QStringLiteral(".") : dir;
    return map;
}

PortMap PortMap::fromSystem() {
    auto infos = QSerialPortInfo::availablePorts();
    std::sort(infos.begin(), infos.end(), [](const auto& a, const auto& b) {
        return systemOrderLess(a.portName(), b.portName());
    });
    PortMap map;
    for (const auto& info : infos) {
        if (map.m_system.size() == kMaxPorts) break;
        map.m_system.push_back(deviceFrom(info.systemLocation(), info));
    }
    return map;
}

PortMap PortMap::fromOptionOrEnvironment(const QString& dir) {
    if (!dir.isEmpty()) return fromDirectory(dir);
    const QString fromEnv = qEnvironmentVariable("QELV_PORTS");
    if (!fromEnv.isEmpty()) return fromDirectory(fromEnv);
    return fromSystem();
}

PortMap PortMap::single(const QString& path) {
    PortMap map;
    map.m_system.push_back({path, {}, {}, {}});
    return map;
}

std::optional<PortDevice> PortMap::device(int n) const {
    if (n < 1 || n > kMaxPorts) return std::nullopt;
    if (!isDirectory()) {
        if (static_cast<std::size_t>(n) > m_system.size()) return std::nullopt;
        return m_system[static_cast<std::size_t>(n - 1)];
    }
    const QString entry = QDir(m_dir).filePath(QStringLiteral("com%1").arg(n));
    const QFileInfo info(entry);
    if (!info.exists() && !info.isSymLink()) return std::nullopt;
    return PortDevice{entry, {}, {}, {}};
}

QString PortMap::describe(int n, const QList<QSerialPortInfo>& known) const {
    auto dev = device(n);
    if (!dev) return QStringLiteral("COM%1: デバイスがありません").arg(n);
    QStringList lines{dev->path};
    const QFileInfo info(dev->path);
    if (info.isSymLink()) lines.first() += QStringLiteral(" → ") + info.symLinkTarget();
    const QString target = info.canonicalFilePath();
    for (const QSerialPortInfo& serial : known)
        if (dev->description.isEmpty() && !target.isEmpty() && serial.systemLocation() == target)
            *dev = deviceFrom(dev->path, serial);
    if (!dev->description.isEmpty()) lines << dev->description;
    if (!dev->manufacturer.isEmpty()) lines << dev->manufacturer;
    if (!dev->usbId.isEmpty()) lines << QStringLiteral("USB %1").arg(dev->usbId);
    return lines.join(u'\n');
}

}  // namespace qelv
