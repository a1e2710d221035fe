#include "linesettings.h"

#include <QStringList>

namespace qelv {

namespace {

constexpr int kMaxBaudRate = 4'000'000;

std::optional<Parity> parseParity(const QString& field) {
    // QChar::toUpper maps some non-ASCII letters onto these, U+017F (long s) onto 'S'.
    if (field.size() != 1 || field.at(0).unicode() > 0x7f) return std::nullopt;
    switch (field.at(0).toUpper().toLatin1()) {
        case 'N':
            return Parity::None;
        case 'E':
            return Parity::Even;
        case 'O':
            return Parity::Odd;
        case 'M':
            return Parity::Mark;
        case 'S':
            return Parity::Space;
        default:
            return std::nullopt;
    }
}

std::optional<int> parseStopBits(const QString& field) {
    if (field == QLatin1String("1")) return 10;
    if (field == QLatin1String("1.5")) return 15;
    if (field == QLatin1String("2")) return 20;
    return std::nullopt;
}

bool isDigits(const QString& field) {
    if (field.isEmpty() || field.size() > 9) return false;
    for (QChar c : field)
        if (c < u'0' || c > u'9') return false;
    return true;
}

}  // namespace

std::optional<LineSettings> parseLineSettings(const QString& text) {
    QStringList fields = text.split(u',');
    if (fields.size() != 4) return std::nullopt;
    for (QString& field : fields) field = field.trimmed();
    if (!isDigits(fields[0]) || !isDigits(fields[2])) return std::nullopt;
    const int baud = fields[0].toInt();
    const int dataBits = fields[2].toInt();
    const auto parity = parseParity(fields[1]);
    const auto stopBits = parseStopBits(fields[3]);
    if (baud <= 0 || baud > kMaxBaudRate || dataBits < 5 || dataBits > 8 || !parity || !stopBits)
        return std::nullopt;
    return LineSettings{baud, *parity, dataBits, *stopBits};
}

QString formatLineSettings(const LineSettings& settings) {
    static constexpr char kParity[] = {'N', 'E', 'O', 'M', 'S'};
    const QString stop = settings.stopBitsTenths == 15
                             ? QStringLiteral("1.5")
                             : QString::number(settings.stopBitsTenths / 10);
    return QStringLiteral("%1,%2,%3,%4")
        .arg(settings.baudRate)
        .arg(QLatin1Char(kParity[static_cast<int>(settings.parity)]))
        .arg(settings.dataBits)
        .arg(stop);
}

}  // namespace qelv
