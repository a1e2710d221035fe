#pragma once

#include <QString>

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

// Aborting, rather than returning, is what makes libFuzzer keep the input as a crash.
[[noreturn]] inline void fail(const QString& what) {
    std::fprintf(stderr, "\n*** fuzz check failed: %s\n", qPrintable(what));
    std::abort();
}

}  // namespace qelv::fuzz
