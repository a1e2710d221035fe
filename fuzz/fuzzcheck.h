#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace qelv::fuzz {

// Control characters and anything outside ASCII as \uXXXX, so that a reported text can be
// pasted back into a test unchanged.
inline QString escaped(const QString& text) {
    QString out;
    for (QChar c : text) {
        if (c.unicode() >= 0x20 && c.unicode() < 0x7f && c != u'\\')
            out += c;
        else
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
    }
    return out;
}

// The input's byte pairs as UTF-16LE code units (an odd last byte left out): every code unit
// one mutation away, which UTF-8 does not give.
inline QString utf16Le(const std::uint8_t* data, std::size_t size) {
    QString text(static_cast<qsizetype>(size / 2), Qt::Uninitialized);
    for (std::size_t i = 0; i + 1 < size; i += 2)
        text[static_cast<qsizetype>(i / 2)] = QChar(char16_t(data[i] | (data[i + 1] << 8)));
    return text;
}

// The input read as a text each way a device's bytes may reach a parser: Latin-1 (every byte
// one character), UTF-8 (with replacement characters where it is not) and UTF-16LE.
template <typename Check>
void eachReading(const std::uint8_t* data, std::size_t size, Check check) {
    const auto* bytes = reinterpret_cast<const char*>(data);
    check(QString::fromLatin1(bytes, static_cast<qsizetype>(size)));
    check(QString::fromUtf8(bytes, static_cast<qsizetype>(size)));
    check(utf16Le(data, size));
}

// Aborting, rather than returning, is what makes libFuzzer keep the input as a crash.
[[noreturn]] inline void fail(const QString& what) {
    std::fprintf(stderr, "\n*** fuzz check failed: %s\n", qPrintable(what));
    std::abort();
}

}  // namespace qelv::fuzz
