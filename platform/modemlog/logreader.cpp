#include "logreader.h"

#include "filelogwriter.h"
#include "modemerror.h"

#include <QByteArray>
#include <QtEndian>

#include <cstdint>

namespace qelv {

namespace {

constexpr std::uint8_t kTrailerFirst = 255;
constexpr std::uint8_t kTrailerSecond = 0;

[[noreturn]] void throwCorrupt(qsizetype offset, const QString& what) {
    throw LogDamage{offset, what};
}

void checkLength(char kind, std::uint32_t length, qsizetype offset) {
    if (kind == logformat::kHeaderKind && length != logformat::kHeaderPayloadBytes)
        throwCorrupt(offset, QStringLiteral("header payload of %1 bytes, not 8").arg(length));
    if (kind == logformat::kReplyKind && length % 2 != 0)
        throwCorrupt(offset, QStringLiteral("reply payload of odd length %1").arg(length));
}

LogRecord decodeRecord(char kind, QByteArrayView payload) {
    LogRecord record;
    if (kind == logformat::kHeaderKind) {
        record.kind = LogRecord::Kind::Header;
        for (std::size_t i = 0; i < record.header.size(); ++i)
            record.header[i] = static_cast<std::uint8_t>(payload[static_cast<qsizetype>(i)]);
        return record;
    }
    record.kind = LogRecord::Kind::Reply;
    const qsizetype units = payload.size() / 2;
    record.text.resize(units);
    qFromLittleEndian<quint16>(payload.data(), units, record.text.data());
    return record;
}

bool isWellFormed(const LogHeader& h) {
    return h[0] <= 99 && h[1] >= 1 && h[1] <= 12 && h[2] >= 1 && h[2] <= 31 && h[3] <= 23 &&
           h[4] <= 59 && h[5] <= 59 && h[6] == kTrailerFirst && h[7] == kTrailerSecond;
}

QString formatHeader(const LogHeader& h) {
    const QLatin1Char zero('0');
    QString line = QStringLiteral("session 20%1-%2-%3 %4:%5:%6")
                       .arg(h[0], 2, 10, zero)
                       .arg(h[1], 2, 10, zero)
                       .arg(h[2], 2, 10, zero)
                       .arg(h[3], 2, 10, zero)
                       .arg(h[4], 2, 10, zero)
                       .arg(h[5], 2, 10, zero);
    if (!isWellFormed(h)) {
        const QByteArray raw(reinterpret_cast<const char*>(h.data()), qsizetype(h.size()));
        line += QStringLiteral(" [raw %1]").arg(QString::fromLatin1(raw.toHex(' ').toUpper()));
    }
    return line;
}

void parseInto(QByteArrayView bytes, std::vector<LogRecord>& records) {
    const auto prefix = static_cast<qsizetype>(logformat::kPrefixBytes);
    qsizetype offset = 0;
    while (offset < bytes.size()) {
        if (bytes.size() - offset < prefix)
            throwCorrupt(offset, QStringLiteral("truncated record prefix"));
        const char kind = bytes[offset];
        if (kind != logformat::kHeaderKind && kind != logformat::kReplyKind)
            throwCorrupt(
                offset,
                QStringLiteral("unknown kind 0x%1").arg(uchar(kind), 2, 16, QLatin1Char('0')));
        if (kind == logformat::kReplyKind && records.empty())
            throwCorrupt(offset, QStringLiteral("reply before any session header"));
        const auto length = qFromLittleEndian<std::uint32_t>(bytes.data() + offset + 1);
        checkLength(kind, length, offset);
        if (bytes.size() - offset - prefix < qsizetype(length))
            throwCorrupt(offset, QStringLiteral("payload of %1 bytes is truncated").arg(length));
        records.push_back(decodeRecord(kind, bytes.sliced(offset + prefix, length)));
        offset += prefix + qsizetype(length);
    }
}

}  // namespace

QString LogDamage::message() const {
    return QStringLiteral("log: corrupt record at offset %1: %2").arg(offset).arg(what);
}

ParsedLog parseLogIntact(QByteArrayView bytes) {
    ParsedLog parsed;
    try {
        parseInto(bytes, parsed.records);
    } catch (const LogDamage& damage) {
        parsed.damage = damage;
    }
    return parsed;
}

bool startsAsLog(QByteArrayView start) {
    const auto whole =
        static_cast<qsizetype>(logformat::kPrefixBytes + logformat::kHeaderPayloadBytes);
    if (start.size() < whole || start[0] != logformat::kHeaderKind) return false;
    return qFromLittleEndian<std::uint32_t>(start.data() + 1) == logformat::kHeaderPayloadBytes;
}

std::vector<LogRecord> parseLog(QByteArrayView bytes) {
    ParsedLog parsed = parseLogIntact(bytes);
    if (parsed.damage) throw ModemError(errc::kLogCorrupt, parsed.damage->message());
    return std::move(parsed.records);
}

QString formatLog(const std::vector<LogRecord>& records,
                  const std::function<QString(const QString&)>& escape) {
    QString out;
    int reply = 0;
    for (const LogRecord& record : records) {
        if (record.kind == LogRecord::Kind::Header) {
            reply = 0;
            out += formatHeader(record.header);
        } else {
            out += QStringLiteral("reply ") + QString::number(++reply) + QStringLiteral(": ") +
                   escape(record.text);
        }
        out += QLatin1Char('\n');
    }
    return out;
}

}  // namespace qelv
