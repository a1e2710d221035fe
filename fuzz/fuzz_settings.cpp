// parseLineSettings on arbitrary text, read as Latin-1, as UTF-8 and as UTF-16LE. Whatever
// it accepts must be in range, must say what the text's fields say, and must survive
// formatLineSettings and a second parse unchanged.

#include "fuzzcheck.h"
#include "linesettings.h"

#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>

namespace {

using qelv::LineSettings;
using qelv::Parity;

QString shown(const LineSettings& s) {
    return QStringLiteral("{baud %1, parity %2, data %3, stop tenths %4}")
        .arg(s.baudRate)
        .arg(static_cast<int>(s.parity))
        .arg(s.dataBits)
        .arg(s.stopBitsTenths);
}

// The letters the documentation promises, and nothing that merely case-maps onto them.
bool parityLetterMatches(const QString& field, Parity parity) {
    static const QString kLetters = QStringLiteral("NEOMS");
    if (field.size() != 1) return false;
    const qsizetype upper = kLetters.indexOf(field.at(0), 0, Qt::CaseSensitive);
    const qsizetype lower = kLetters.toLower().indexOf(field.at(0), 0, Qt::CaseSensitive);
    const qsizetype index = upper >= 0 ? upper : lower;
    return index >= 0 && index == static_cast<qsizetype>(parity);
}

QString stopBitsText(int tenths) {
    switch (tenths) {
        case 10:
            return QStringLiteral("1");
        case 15:
            return QStringLiteral("1.5");
        case 20:
            return QStringLiteral("2");
        default:
            return {};
    }
}

void check(const QString& text) {
    const auto parsed = qelv::parseLineSettings(text);
    if (!parsed) return;
    const LineSettings& s = *parsed;
    const QString input = qelv::fuzz::escaped(text);
    if (s.baudRate < 1 || s.baudRate > 4'000'000 || s.dataBits < 5 || s.dataBits > 8 ||
        (s.stopBitsTenths != 10 && s.stopBitsTenths != 15 && s.stopBitsTenths != 20) ||
        static_cast<int>(s.parity) < 0 || static_cast<int>(s.parity) > 4) {
        qelv::fuzz::fail(QStringLiteral("\"%1\" parsed to out-of-range %2").arg(input, shown(s)));
    }

    const QStringList fields = text.split(u',');
    if (fields.size() != 4 || fields[0].trimmed().toInt() != s.baudRate ||
        !parityLetterMatches(fields[1].trimmed(), s.parity) ||
        fields[2].trimmed().toInt() != s.dataBits ||
        fields[3].trimmed() != stopBitsText(s.stopBitsTenths)) {
        qelv::fuzz::fail(QStringLiteral("\"%1\" parsed to %2, which its fields do not say")
                             .arg(input, shown(s)));
    }

    const QString formatted = qelv::formatLineSettings(s);
    const auto again = qelv::parseLineSettings(formatted);
    if (!again || *again != s) {
        qelv::fuzz::fail(
            QStringLiteral("\"%1\" parsed to %2, formatted as \"%3\", parsed back to %4")
                .arg(input, shown(s), qelv::fuzz::escaped(formatted),
                     again ? shown(*again) : QStringLiteral("nothing")));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qelv::fuzz::eachReading(data, size, check);
    return 0;
}
