#pragma once

#include "logwriter.h"

#include <QByteArrayView>
#include <QString>

#include <functional>
#include <vector>

namespace qelv {

// One record of a modem log file (the format is described in filelogwriter.h).
struct LogRecord {
    enum class Kind { Header, Reply } kind = Kind::Header;
    LogHeader header{};  // Header records only
    QString text;        // Reply records only
};

// Splits a whole log file into its records. Throws ModemError (errc::kLogCorrupt) naming the
// byte offset of the first record that is truncated, of unknown kind, of impossible length,
// or a reply before any header. Never reads outside `bytes`.
std::vector<LogRecord> parseLog(QByteArrayView bytes);

// Renders records one per line: "session 2026-12-07 04:01:49" for a header (its raw bytes
// follow when it is not a well-formed date and time), "reply N: <text>" for a reply, N
// counting from 1 within each session. `escape` makes the reply text safe for the reader.
QString formatLog(const std::vector<LogRecord>& records,
                  const std::function<QString(const QString&)>& escape);

}  // namespace qelv
