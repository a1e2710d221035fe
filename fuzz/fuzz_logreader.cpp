// parseLog on arbitrary bytes. libFuzzer hands over a heap copy of exactly the input, so
// AddressSanitizer catches any read past its end. A rejection must be a ModemError; an
// acceptance must be faithful: the records, written out again in the log file format (see
// filelogwriter.h), give back the input byte for byte.

#include "filelogwriter.h"
#include "fuzzcheck.h"
#include "logreader.h"
#include "modemerror.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtEndian>

#include <cstddef>
#include <cstdint>
#include <exception>
#include <vector>

namespace {

using qelv::LogRecord;

// Kept apart from FileLogWriter, which only writes to files and syncs every record.
void appendRecord(QByteArray& out, char kind, const QByteArray& payload) {
    out.append(kind);
    char length[qelv::logformat::kLengthBytes];
    qToLittleEndian(static_cast<std::uint32_t>(payload.size()), length);
    out.append(length, sizeof length);
    out.append(payload);
}

QByteArray encode(const std::vector<LogRecord>& records) {
    QByteArray out;
    for (const LogRecord& record : records) {
        if (record.kind == LogRecord::Kind::Header) {
            appendRecord(out, qelv::logformat::kHeaderKind,
                         QByteArray(reinterpret_cast<const char*>(record.header.data()),
                                    static_cast<qsizetype>(record.header.size())));
        } else {
            QByteArray payload;
            for (QChar c : record.text) {
                payload.append(static_cast<char>(c.unicode() & 0xff));
                payload.append(static_cast<char>(c.unicode() >> 8));
            }
            appendRecord(out, qelv::logformat::kReplyKind, payload);
        }
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView bytes(data, static_cast<qsizetype>(size));
    std::vector<LogRecord> records;
    try {
        records = qelv::parseLog(bytes);
    } catch (const qelv::ModemError& error) {
        if (error.number() != qelv::errc::kLogCorrupt) {
            qelv::fuzz::fail(QStringLiteral("parseLog threw ModemError %1 (%2), not kLogCorrupt")
                                 .arg(error.number())
                                 .arg(error.message()));
        }
        return 0;
    } catch (const std::exception& error) {
        qelv::fuzz::fail(QStringLiteral("parseLog threw something other than ModemError: %1")
                             .arg(QString::fromLocal8Bit(error.what())));
    } catch (...) {
        qelv::fuzz::fail(QStringLiteral("parseLog threw something other than an exception"));
    }

    const QByteArray again = encode(records);
    if (again != bytes.toByteArray()) {
        qelv::fuzz::fail(QStringLiteral("parseLog accepted %1 bytes as %2 records, which "
                                        "encode as %3 bytes: input %4, encoded %5")
                             .arg(size)
                             .arg(records.size())
                             .arg(again.size())
                             .arg(QString::fromLatin1(bytes.toByteArray().toHex(' ')),
                                  QString::fromLatin1(again.toHex(' '))));
    }
    // Rendering what was accepted must not trip over any header or text either.
    const QString rendered = qelv::formatLog(records, [](const QString& text) { return text; });
    if (records.empty() != rendered.isEmpty())
        qelv::fuzz::fail(QStringLiteral("formatLog of %1 records gave \"%2\"")
                             .arg(records.size())
                             .arg(qelv::fuzz::escaped(rendered)));
    return 0;
}
