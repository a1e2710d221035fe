#pragma once

/// \file
/// LogWriter, where the modem log goes.

#include "qelvexport.h"

#include <QString>

#include <array>
#include <cstdint>

namespace qelv {

/// The payload of a session header: year (its last two digits), month, day, hour, minute and
/// second of the local time, then 0xFF and 0.
using LogHeader = std::array<std::uint8_t, 8>;

/// Where the modem log goes. Every failure throws ModemError (kLogWriteFailed).
class QELV_EXPORT LogWriter {
public:
    virtual ~LogWriter() = default;
    /// The log folder, ending with a separator; the unit appends the file name directly.
    virtual QString cPath() = 0;
    /// Starts a log session in `fileName` with an 8-byte header record. An existing file is
    /// appended to, never truncated.
    virtual void CipherFileHeadWrite(const QString& fileName, const LogHeader& header) = 0;
    /// Appends one record holding `text` exactly; it is on disk when the call returns.
    virtual void CipherWrite(const QString& text) = 0;
};

}  // namespace qelv
