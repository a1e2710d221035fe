#pragma once

/// \file
/// FileLogWriter and the file format of the modem log.

#include "logwriter.h"
#include "qelvexport.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>

namespace qelv {

/// The sizes and kinds of the modem log's records.
///
/// File format of the modem log
/// ----------------------------
/// A log file is a plain sequence of records with nothing before the first one. A new session
/// appends a header record to whatever the file already holds.
///
/// ~~~{.unparsed}
///   record  = kind (1 byte) | length (4 bytes, unsigned little-endian) | payload (length bytes)
///   kind    = 'H' (0x48): session header; payload is exactly the 8 header bytes
///             'R' (0x52): one reply; payload is the text as UTF-16LE code units, so its
///                         length is even and the text comes back exactly as written
///                         (NUL, CR, LF, lone surrogates included)
/// ~~~
///
/// A reply record only ever follows a header record somewhere earlier in the same file.
namespace logformat {
inline constexpr char kHeaderKind = 'H';        ///< the kind of a session header
inline constexpr char kReplyKind = 'R';         ///< the kind of a reply
inline constexpr std::size_t kKindBytes = 1;    ///< size of the kind
inline constexpr std::size_t kLengthBytes = 4;  ///< size of the length
inline constexpr std::size_t kPrefixBytes = kKindBytes + kLengthBytes;  ///< what precedes a payload
inline constexpr std::uint32_t kHeaderPayloadBytes = 8;  ///< a header's payload, a LogHeader
}  // namespace logformat

/// Writes the modem log with plain POSIX descriptors so that a record is on disk, not in some
/// buffer, when a call returns. Not thread-safe; one writer per file at a time.
class QELV_EXPORT FileLogWriter final : public LogWriter {
public:
    /// Logs go to $XDG_STATE_HOME/qel-v/ (default ~/.local/state/qel-v/).
    FileLogWriter();
    /// Logs go to `folder`, which cPath() returns verbatim and which is not created.
    explicit FileLogWriter(const QString& folder);
    ~FileLogWriter() override;

    FileLogWriter(const FileLogWriter&) = delete;
    FileLogWriter& operator=(const FileLogWriter&) = delete;

    /// The default folder is created (mode 0700, parents too) on every call, so a folder
    /// removed while the program runs comes back.
    QString cPath() override;
    void CipherFileHeadWrite(const QString& fileName, const LogHeader& header) override;
    void CipherWrite(const QString& text) override;

    /// The per-user default folder, ending with '/'; pure, creates nothing.
    static QString defaultFolder();

private:
    void closeCurrent();
    void appendRecord(char kind, const char* payload, std::size_t size);

    std::optional<QString> m_folder;
    QString m_fileName;
    int m_fd = -1;
};

}  // namespace qelv
