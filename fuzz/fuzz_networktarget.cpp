// parseNetworkTarget on arbitrary text, read as Latin-1, as UTF-8 and as UTF-16LE. Whatever it
// accepts must have the URL's plain shape, a port in range and a host it quotes from the text,
// and must survive formatNetworkTarget and a second parse unchanged; whatever it refuses must
// come with a reason.

#include "fuzzcheck.h"
#include "networktarget.h"

#include <QRegularExpression>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace {

using qelv::NetworkProtocol;
using qelv::NetworkTarget;

QString shown(const NetworkTarget& t) {
    return QStringLiteral("{%1, host \"%2\", port %3}")
        .arg(t.protocol == NetworkProtocol::Rfc2217 ? QStringLiteral("rfc2217")
                                                    : QStringLiteral("socket"),
             qelv::fuzz::escaped(t.host))
        .arg(t.port);
}

// The shape every accepted URL has, whatever else it must be.
const QRegularExpression& plainShape() {
    static const QRegularExpression shape(
        QStringLiteral("^(rfc2217|socket)://(\\[[0-9A-Fa-f:.]+\\]|[A-Za-z0-9._-]+):([0-9]{1,5})$"),
        QRegularExpression::CaseInsensitiveOption);
    return shape;
}

void check(const QString& text) {
    QString problem;
    const auto parsed = qelv::parseNetworkTarget(text, &problem);
    const QString input = qelv::fuzz::escaped(text);
    if (!parsed) {
        if (problem.isEmpty())
            qelv::fuzz::fail(QStringLiteral("\"%1\" refused without a reason").arg(input));
        return;
    }
    const NetworkTarget& t = *parsed;
    const auto shape = plainShape().match(text);
    if (!shape.hasMatch() || !qelv::looksLikeUrl(text))
        qelv::fuzz::fail(
            QStringLiteral("\"%1\" accepted as %2 without a URL's shape").arg(input, shown(t)));
    QString host = shape.captured(2);
    if (host.startsWith(u'[')) host = host.mid(1, host.size() - 2);
    const bool rfc2217 =
        shape.captured(1).compare(QLatin1String("rfc2217"), Qt::CaseInsensitive) == 0;
    if (t.port < 1 || t.port != shape.captured(3).toInt() || t.host != host || t.host.isEmpty() ||
        (t.protocol == NetworkProtocol::Rfc2217) != rfc2217 || !problem.isEmpty())
        qelv::fuzz::fail(
            QStringLiteral("\"%1\" parsed to %2, which its parts do not say").arg(input, shown(t)));
    const QString formatted = qelv::formatNetworkTarget(t);
    const auto again = qelv::parseNetworkTarget(formatted);
    if (!again || *again != t)
        qelv::fuzz::fail(
            QStringLiteral("\"%1\" parsed to %2, formatted as \"%3\", parsed back to %4")
                .arg(input, shown(t), qelv::fuzz::escaped(formatted),
                     again ? shown(*again) : QStringLiteral("nothing")));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qelv::fuzz::eachReading(data, size, check);
    return 0;
}
