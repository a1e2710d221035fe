#include "filelogwriter.h"

#include "logreader.h"
#include "modemerror.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <cerrno>
#include <limits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qelv {

namespace {

constexpr mode_t kFolderMode = 0700;
constexpr mode_t kFileMode = 0600;

[[noreturn]] void throwIoError(const QString& what, const QString& path, int error) {
    throw ModemError(
        errc::kLogWriteFailed,
        QStringLiteral("log: %1 '%2' failed: %3").arg(what, path, qt_error_string(error)));
}

void makeFolder(const QByteArray& path) {
    // Each missing level is made here, not with QDir::mkpath, so parents get 0700 as well.
    for (qsizetype slash = path.indexOf('/', 1); slash != -1;
         slash = path.indexOf('/', slash + 1)) {
        const QByteArray level = path.left(slash);
        if (::mkdir(level.constData(), kFolderMode) != 0 && errno != EEXIST)
            throwIoError(QStringLiteral("creating folder"), QFile::decodeName(level), errno);
    }
    struct stat info {};
    if (::stat(path.constData(), &info) != 0)
        throwIoError(QStringLiteral("creating folder"), QFile::decodeName(path), errno);
    if (!S_ISDIR(info.st_mode))
        throwIoError(QStringLiteral("creating folder"), QFile::decodeName(path), ENOTDIR);
}

void writeAll(int fd, const QByteArray& bytes, const QString& path) {
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, static_cast<std::size_t>(left));
        if (written < 0) {
            if (errno == EINTR) continue;
            throwIoError(QStringLiteral("writing"), path, errno);
        }
        data += written;
        left -= written;
    }
}

// A newly created file only survives a crash once its folder entry is on disk too.
void syncFolderOf(const QString& fileName) {
    const QString folder = QFileInfo(fileName).absolutePath();
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) throwIoError(QStringLiteral("opening folder"), folder, errno);
    const int result = ::fsync(fd);
    const int error = errno;
    ::close(fd);
    // Some file systems cannot sync a folder at all; that is not a failure of the log.
    if (result != 0 && error != EINVAL && error != EROFS)
        throwIoError(QStringLiteral("syncing folder"), folder, error);
}

[[noreturn]] void refuse(const QString& path, const QString& why) {
    throw ModemError(errc::kLogWriteFailed,
                     QStringLiteral("log: refusing '%1': %2").arg(path, why));
}

QByteArray readStart(int fd, const QString& path) {
    QByteArray start(
        static_cast<qsizetype>(logformat::kPrefixBytes + logformat::kHeaderPayloadBytes), '\0');
    const ssize_t got = ::pread(fd, start.data(), static_cast<std::size_t>(start.size()), 0);
    if (got < 0) throwIoError(QStringLiteral("reading"), path, errno);
    start.truncate(got);
    return start;
}

// The log file, opened to append a session. Whoever can plant a link or a device where the
// log goes must not get our replies written through it, nor a stranger's file extended: the
// file is never reached through a symbolic link, must be a regular file, and when it holds
// anything at all it must start as a log does. It stays readable by its owner only.
int openLogForAppend(const QString& fileName) {
    const int fd = ::open(
        QFile::encodeName(fileName).constData(),
        O_RDWR | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, kFileMode);
    if (fd < 0 && errno == ELOOP) refuse(fileName, QStringLiteral("it is a symbolic link"));
    if (fd < 0) throwIoError(QStringLiteral("opening"), fileName, errno);
    try {
        struct stat info {};
        if (::fstat(fd, &info) != 0) throwIoError(QStringLiteral("opening"), fileName, errno);
        if (!S_ISREG(info.st_mode)) refuse(fileName, QStringLiteral("not a regular file"));
        if (info.st_size > 0 && !startsAsLog(readStart(fd, fileName)))
            refuse(fileName, QStringLiteral("it does not start as a modem log"));
        if ((info.st_mode & 07777) != kFileMode && ::fchmod(fd, kFileMode) != 0)
            throwIoError(QStringLiteral("restricting"), fileName, errno);
        // Appends are plain blocking writes again.
        ::fcntl(fd, F_SETFL, O_APPEND);
    } catch (...) {
        ::close(fd);
        throw;
    }
    return fd;
}

}  // namespace

FileLogWriter::FileLogWriter() = default;

FileLogWriter::FileLogWriter(const QString& folder) : m_folder(folder) {}

FileLogWriter::~FileLogWriter() {
    closeCurrent();
}

QString FileLogWriter::defaultFolder() {
    // A relative XDG_STATE_HOME is invalid and must be ignored.
    QString base = QFile::decodeName(qgetenv("XDG_STATE_HOME"));
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/state");
    while (base.size() > 1 && base.endsWith(QLatin1Char('/'))) base.chop(1);
    return base + QStringLiteral("/qel-v/");
}

QString FileLogWriter::cPath() {
    if (m_folder) return *m_folder;
    const QString folder = defaultFolder();
    makeFolder(QFile::encodeName(folder));
    return folder;
}

void FileLogWriter::CipherFileHeadWrite(const QString& fileName, const LogHeader& header) {
    closeCurrent();
    m_fd = openLogForAppend(fileName);
    m_fileName = fileName;
    try {
        syncFolderOf(fileName);
        appendRecord(logformat::kHeaderKind, reinterpret_cast<const char*>(header.data()),
                     header.size());
    } catch (...) {
        // Replies must not land in a file whose session header is missing.
        closeCurrent();
        throw;
    }
}

void FileLogWriter::CipherWrite(const QString& text) {
    if (m_fd < 0) {
        throw ModemError(errc::kLogWriteFailed,
                         QStringLiteral("log: a reply was written before any session header"));
    }
    QByteArray payload(text.size() * 2, Qt::Uninitialized);
    qToLittleEndian<quint16>(text.utf16(), text.size(), payload.data());
    appendRecord(logformat::kReplyKind, payload.constData(),
                 static_cast<std::size_t>(payload.size()));
}

void FileLogWriter::appendRecord(char kind, const char* payload, std::size_t size) {
    if (size > std::numeric_limits<std::uint32_t>::max()) {
        throw ModemError(
            errc::kLogWriteFailed,
            QStringLiteral("log: record of %1 bytes too long for '%2'").arg(size).arg(m_fileName));
    }
    QByteArray record;
    record.reserve(static_cast<qsizetype>(logformat::kPrefixBytes + size));
    record.append(kind);
    char length[logformat::kLengthBytes];
    qToLittleEndian(static_cast<std::uint32_t>(size), length);
    record.append(length, sizeof length);
    record.append(payload, static_cast<qsizetype>(size));
    // A whole record per write call keeps it contiguous should another process append too.
    writeAll(m_fd, record, m_fileName);
    if (::fdatasync(m_fd) != 0) throwIoError(QStringLiteral("syncing"), m_fileName, errno);
}

void FileLogWriter::closeCurrent() {
    if (m_fd < 0) return;
    // Every record was synced when written, so a failing close loses nothing.
    ::close(m_fd);
    m_fd = -1;
    m_fileName.clear();
}

}  // namespace qelv
