#pragma once

/// \file
/// LineSettings, a line's speed, parity, data and stop bits, and their text form.

#include "qelvexport.h"

#include <QString>

#include <optional>

namespace qelv {

/// The parity of a line, written N, E, O, M or S.
enum class Parity {
    None,  ///< no parity bit
    Even,  ///< even parity
    Odd,   ///< odd parity
    Mark,  ///< a parity bit that is always 1
    Space  ///< a parity bit that is always 0
};

/// Line settings written as "baud,parity,data bits,stop bits", e.g. "9600,N,8,1".
struct LineSettings {
    int baudRate = 9600;           ///< bits per second
    Parity parity = Parity::None;  ///< the parity letter
    int dataBits = 8;              ///< 5 to 8
    /// 10 for one stop bit, 15 for one and a half, 20 for two: "1.5" must stay exact.
    int stopBitsTenths = 10;

    /// Equal when every field is.
    friend bool operator==(const LineSettings&, const LineSettings&) = default;
};

/// Accepts upper- or lower-case parity letters (N, E, O, M, S), data bits 5 to 8, stop bits
/// 1, 1.5 or 2, and a positive baud rate up to 4,000,000. Blanks around the fields are
/// allowed. Returns nothing for anything else, including extra fields.
QELV_EXPORT std::optional<LineSettings> parseLineSettings(const QString& text);

/// The text parseLineSettings reads back: "9600,N,8,1", "1.5" for one and a half stop bits.
QELV_EXPORT QString formatLineSettings(const LineSettings& settings);

}  // namespace qelv
