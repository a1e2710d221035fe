#include "readlog.h"

#include "logreader.h"
#include "options.h"
#include "printout.h"
#include "textescape.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qelv {

namespace {

void printFailure(const QString& path, const QString& why) {
    printText(stderr, QStringLiteral("qel-v: ") + escapeForTerminal(path) + QStringLiteral(": ") +
                          escapeForTerminal(why) + u'\n');
}

// The whole file, or the reason it is not read. Only a regular file is read: a device such as
// /dev/zero or a pipe would be read without end.
std::optional<QByteArray> readRegularFile(const QString& path, QString& why) {
    // Non-blocking, so that opening a FIFO does not wait for a writer.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        why = QString::fromLocal8Bit(std::strerror(errno));
        return std::nullopt;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        why = QStringLiteral("not a regular file, so not a modem log");
        return std::nullopt;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        why = file.errorString();
        return std::nullopt;
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        why = file.errorString();
        return std::nullopt;
    }
    return bytes;
}

}  // namespace

int runReadLog(const QString& path) {
    QString why;
    const std::optional<QByteArray> bytes = readRegularFile(path, why);
    if (!bytes) {
        printFailure(path, why);
        return kExitFailure;
    }
    // What survived is worth more than nothing: print it, then say where the damage starts.
    const ParsedLog parsed = parseLogIntact(*bytes);
    printText(stdout, formatLog(parsed.records, escapeForTerminal));
    if (!parsed.damage) return kExitOk;
    printFailure(path, QStringLiteral("%1 (%2 intact records before it)")
                           .arg(parsed.damage->message())
                           .arg(parsed.records.size()));
    return kExitFailure;
}

}  // namespace qelv
