#pragma once

/// \file
/// Reading modem log files back.

#include "logwriter.h"
#include "qelvexport.h"

#include <QByteArrayView>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace qelv {

/// One record of a modem log file (the format is described in filelogwriter.h).
struct LogRecord {
    /// What a record holds.
    enum class Kind {
        Header,             ///< the start of a session
        Reply               ///< one reply the unit collected
    } kind = Kind::Header;  ///< what this record holds
    LogHeader header{};     ///< Header records only
    QString text;           ///< Reply records only
};

/// Where a log file stops being readable: the byte offset of the first damaged record and what
/// is wrong with it.
struct QELV_EXPORT LogDamage {
    qsizetype offset = 0;     ///< where the damaged record starts
    QString what;             ///< what is wrong with it
    QString message() const;  ///< "log: corrupt record at offset N: what"
};

/// What parseLogIntact could read.
struct ParsedLog {
    std::vector<LogRecord> records;   ///< every intact record before the damage
    std::optional<LogDamage> damage;  ///< nothing when the whole file is intact
};

/// Reads as many records as are intact, for a reader who wants what survived a crash or a
/// cut-off copy. Never throws and never reads outside `bytes`.
QELV_EXPORT ParsedLog parseLogIntact(QByteArrayView bytes);

/// Whether `start` (the first bytes of a file, at least the prefix and a header's payload
/// when the file is that long) begins as a modem log does: with a whole session header.
QELV_EXPORT bool startsAsLog(QByteArrayView start);

/// Splits a whole log file into its records. Throws ModemError (errc::kLogCorrupt) naming the
/// byte offset of the first record that is truncated, of unknown kind, of impossible length,
/// or a reply before any header. Never reads outside `bytes`.
QELV_EXPORT std::vector<LogRecord> parseLog(QByteArrayView bytes);

/// Renders records one per line: "session 2026-12-07 04:01:49" for a header (its raw bytes
/// follow when it is not a well-formed date and time), `"reply N: <text>"` for a reply, N
/// counting from 1 within each session. `escape` makes the reply text safe for the reader.
QELV_EXPORT QString formatLog(const std::vector<LogRecord>& records,
                              const std::function<QString(const QString&)>& escape);

}  // namespace qelv
