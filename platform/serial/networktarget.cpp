#include "networktarget.h"

#include <QRegularExpression>

#include <arpa/inet.h>

namespace qelv {

namespace {

constexpr qsizetype kMaxHostName = 253;
constexpr qsizetype kMaxLabel = 63;

std::optional<NetworkTarget> refuse(QString* problem, const QString& why) {
    if (problem) *problem = why;
    return std::nullopt;
}

// inet_pton reads a C string: text that is not plain ASCII (a NUL inside) is no address.
bool isAddress(int family, const QString& text) {
    static const QRegularExpression plain(QStringLiteral("^[0-9A-Fa-f:.]+$"));
    if (!plain.match(text).hasMatch()) return false;
    unsigned char address[16];
    return ::inet_pton(family, text.toLatin1().constData(), address) == 1;
}

bool isAsciiDigits(QStringView text) {
    if (text.isEmpty()) return false;
    for (QChar c : text)
        if (c < u'0' || c > u'9') return false;
    return true;
}

// Labels of letters, digits, '-' and '_', none empty, none starting or ending with '-'.
bool isHostName(const QString& host) {
    static const QRegularExpression label(
        QStringLiteral("^[A-Za-z0-9_]([A-Za-z0-9_-]*[A-Za-z0-9_])?$"));
    if (host.size() > kMaxHostName) return false;
    for (const QString& part : host.split(u'.'))
        if (part.size() > kMaxLabel || !label.match(part).hasMatch()) return false;
    return true;
}

// A host of digits and dots alone is meant as an IPv4 address and must be one: "10.0.0" is
// no name to look up.
bool isIpv4Like(const QString& host) {
    for (QChar c : host)
        if (c != u'.' && (c < u'0' || c > u'9')) return false;
    return true;
}

// Splits "HOST:PORT" (HOST possibly "[v6]") into its parts; false when it has no such shape.
bool splitHostPort(const QString& rest, QString& host, QString& port, bool& bracketed) {
    bracketed = rest.startsWith(u'[');
    if (bracketed) {
        const qsizetype close = rest.indexOf(u']');
        if (close < 0 || rest.mid(close + 1, 1) != QLatin1String(":")) return false;
        host = rest.mid(1, close - 1);
        port = rest.mid(close + 2);
        return true;
    }
    const qsizetype colon = rest.lastIndexOf(u':');
    if (colon < 0) return false;
    host = rest.left(colon);
    port = rest.mid(colon + 1);
    return true;
}

std::optional<std::uint16_t> parsePort(const QString& text) {
    if (!isAsciiDigits(text) || text.size() > 5) return std::nullopt;
    const int value = text.toInt();
    if (value < 1 || value > 65535) return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

std::optional<NetworkProtocol> parseScheme(const QString& scheme) {
    if (scheme.compare(QLatin1String("rfc2217"), Qt::CaseInsensitive) == 0)
        return NetworkProtocol::Rfc2217;
    if (scheme.compare(QLatin1String("socket"), Qt::CaseInsensitive) == 0)
        return NetworkProtocol::Socket;
    return std::nullopt;
}

QString hostProblem(const QString& host, bool bracketed) {
    if (host.isEmpty()) return QStringLiteral("the host is empty");
    if (bracketed)
        return isAddress(AF_INET6, host) ? QString()
                                         : QStringLiteral("[%1] is no IPv6 address").arg(host);
    if (isIpv4Like(host))
        return isAddress(AF_INET, host) ? QString()
                                        : QStringLiteral("%1 is no IPv4 address").arg(host);
    if (host.contains(u':'))
        return QStringLiteral("an IPv6 address goes in brackets: [%1]").arg(host);
    return isHostName(host) ? QString() : QStringLiteral("%1 is no host name").arg(host);
}

}  // namespace

bool looksLikeUrl(const QString& target) {
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://"));
    return scheme.match(target).hasMatch();
}

std::optional<NetworkTarget> parseNetworkTarget(const QString& url, QString* problem) {
    if (!looksLikeUrl(url)) return refuse(problem, QStringLiteral("not a URL"));
    const qsizetype schemeEnd = url.indexOf(QLatin1String("://"));
    const auto protocol = parseScheme(url.left(schemeEnd));
    if (!protocol)
        return refuse(problem, QStringLiteral("unknown scheme %1:// (rfc2217:// or socket://)")
                                   .arg(url.left(schemeEnd)));
    QString host, portText;
    bool bracketed = false;
    if (!splitHostPort(url.mid(schemeEnd + 3), host, portText, bracketed))
        return refuse(problem, QStringLiteral("no port (HOST:PORT)"));
    if (const QString why = hostProblem(host, bracketed); !why.isEmpty())
        return refuse(problem, why);
    if (portText.isEmpty()) return refuse(problem, QStringLiteral("no port (HOST:PORT)"));
    const auto port = parsePort(portText);
    if (!port)
        return refuse(
            problem,
            QStringLiteral("the port must be a number from 1 to 65535, not %1").arg(portText));
    return NetworkTarget{*protocol, host, *port};
}

QString formatServer(const NetworkTarget& target) {
    const QString host =
        target.host.contains(u':') ? QStringLiteral("[%1]").arg(target.host) : target.host;
    return QStringLiteral("%1:%2").arg(host).arg(target.port);
}

QString formatNetworkTarget(const NetworkTarget& target) {
    const char* scheme = target.protocol == NetworkProtocol::Rfc2217 ? "rfc2217" : "socket";
    return QLatin1String(scheme) + QStringLiteral("://") + formatServer(target);
}

}  // namespace qelv
