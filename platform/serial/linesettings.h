#pragma once

#include <QString>

#include <optional>

namespace qelv {

enum class Parity { None, Even, Odd, Mark, Space };

// Line settings written as "baud,parity,data bits,stop bits", e.g. "9600,N,8,1".
struct LineSettings {
    int baudRate = 9600;
    Parity parity = Parity::None;
    int dataBits = 8;
    // 10 for one stop bit, 15 for one and a half, 20 for two: "1.5" must stay exact.
    int stopBitsTenths = 10;

    friend bool operator==(const LineSettings&, const LineSettings&) = default;
};

// Accepts upper- or lower-case parity letters (N, E, O, M, S), data bits 5 to 8, stop bits
// 1, 1.5 or 2, and a positive baud rate up to 4,000,000. Blanks around the fields are
// allowed. Returns nothing for anything else, including extra fields.
std::optional<LineSettings> parseLineSettings(const QString& text);

QString formatLineSettings(const LineSettings& settings);

}  // namespace qelv
