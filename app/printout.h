#pragma once

#include <QString>

#include <cstdio>

namespace qelv {

// Writes `text` as UTF-8 and flushes, so that what the program said is out before anything
// that may end it. Text from a device must have been escaped already.
inline void printText(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
    std::fflush(stream);
}

}  // namespace qelv
