#pragma once

#include <QString>

#include <array>
#include <cstdint>

namespace qelv {

using LogHeader = std::array<std::uint8_t, 8>;

// Where the modem log goes. Every failure throws ModemError (kLogWriteFailed).
class LogWriter {
public:
    virtual ~LogWriter() = default;
    // The log folder, ending with a separator; the unit appends the file name directly.
    virtual QString cPath() = 0;
    // Starts a log session in `fileName` with an 8-byte header record. An existing file is
    // appended to, never truncated.
    virtual void CipherFileHeadWrite(const QString& fileName, const LogHeader& header) = 0;
    // Appends one record holding `text` exactly; it is on disk when the call returns.
    virtual void CipherWrite(const QString& text) = 0;
};

}  // namespace qelv
