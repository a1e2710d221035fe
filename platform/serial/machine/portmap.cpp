#include "portmap.h"

#include "networktarget.h"
#include "serialport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QtGlobal>

#include <unistd.h>
#include <climits>

#include <algorithm>

namespace qelv {

namespace {

constexpr int kMaxPorts = kComPorts;

// Splits "ttyUSB10" into ("ttyUSB", 10); a name without trailing digits gets -1.
std::pair<QString, long long> splitNumber(const QString& name) {
    qsizetype i = name.size();
    while (i > 0 && name.at(i - 1).isDigit()) --i;
    if (i == name.size()) return {name, -1};
    return {name.left(i), name.mid(i).toLongLong()};
}

// What a symbolic link says, as written; empty for anything else.
QString linkText(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink(name.constData(), buffer, sizeof buffer);
    return length > 0 ? QFile::decodeName(QByteArray(buffer, length)) : QString();
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

PortMap PortMap::fromDevices(std::vector<QString> nodes) {
    std::sort(nodes.begin(), nodes.end(), [](const QString& a, const QString& b) {
        return systemOrderLess(QFileInfo(a).fileName(), QFileInfo(b).fileName());
    });
    if (nodes.size() > kMaxPorts) nodes.resize(kMaxPorts);
    PortMap map;
    map.m_system = std::move(nodes);
    return map;
}

QString PortMap::directoryFromOptionOrEnvironment(const QString& dir) {
    return dir.isEmpty() ? qEnvironmentVariable("QELV_PORTS") : dir;
}

PortMap PortMap::single(const QString& path) {
    return fromDevices({path});
}

std::optional<PortDevice> PortMap::device(int n) const {
    if (n < 1 || n > kMaxPorts) return std::nullopt;
    const auto slot = [this](int i) {
        return static_cast<std::size_t>(i) < m_system.size() ? m_system[static_cast<std::size_t>(i)]
                                                             : QString();
    };
    if (const QString named = slot(kMaxPorts + n - 1); !named.isEmpty()) return PortDevice{named};
    if (!isDirectory()) {
        const QString node = slot(n - 1);
        return node.isEmpty() ? std::nullopt : std::optional(PortDevice{node});
    }
    const QString entry = QDir(m_dir).filePath(QStringLiteral("com%1").arg(n));
    const QFileInfo info(entry);
    if (!info.exists() && !info.isSymLink()) return std::nullopt;
    if (info.isSymLink()) {
        // QFileInfo makes a link's target an absolute path; the link's own text is the URL.
        const QString text = linkText(entry);
        if (looksLikeUrl(text))
            return parseNetworkTarget(text) ? std::optional(PortDevice{text}) : std::nullopt;
    }
    return PortDevice{entry};
}

void PortMap::setTarget(int n, const QString& target) {
    if (n < 1 || n > kMaxPorts) return;
    constexpr std::size_t kSlots = 2 * kMaxPorts;
    if (m_system.size() < kSlots) m_system.resize(kSlots);
    m_system[static_cast<std::size_t>(kMaxPorts + n - 1)] = target;
}

std::map<int, QString> PortMap::targets() const {
    std::map<int, QString> named;
    for (std::size_t i = kMaxPorts; i < m_system.size(); ++i)
        if (!m_system[i].isEmpty()) named[static_cast<int>(i - kMaxPorts + 1)] = m_system[i];
    return named;
}

QString PortMap::directoryProblem(const QString& dir) {
    const QFileInfo info(dir);
    if (!info.exists()) return QStringLiteral("the ports directory %1 does not exist").arg(dir);
    if (!info.isDir()) return QStringLiteral("the ports directory %1 is not a directory").arg(dir);
    if (!info.isReadable() || !info.isExecutable())
        return QStringLiteral("the ports directory %1 cannot be read").arg(dir);
    return {};
}

QStringList PortMap::malformedTargets(const QString& dir) {
    QStringList malformed;
    for (int n = 1; n <= kMaxPorts; ++n) {
        const QString name = QStringLiteral("com%1").arg(n);
        const QString text = linkText(QDir(dir).filePath(name));
        QString why;
        if (looksLikeUrl(text) && !parseNetworkTarget(text, &why))
            malformed << QStringLiteral("%1 → %2 (%3)").arg(name, text, why);
    }
    return malformed;
}

QStringList PortMap::misnamedEntries(const QString& dir) {
    static const QRegularExpression comLike(QStringLiteral("^com[0-9]+$"),
                                            QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression exact(QStringLiteral("^com([1-9]|1[0-6])$"));
    QStringList misnamed;
    for (const QString& name :
         QDir(dir).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name))
        if (comLike.match(name).hasMatch() && !exact.match(name).hasMatch()) misnamed << name;
    return misnamed;
}

}  // namespace qelv
