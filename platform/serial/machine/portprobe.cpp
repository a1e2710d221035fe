#include "portprobe.h"
#include "porttexts.h"

#include "accessmessage.h"

#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace qelv {

namespace {

ProbeResult fromErrno(int error, const QString& path) {
    switch (error) {
        case ENOENT:
        case ENXIO:
        case ENODEV:
            return {OpenFailure::Absent, porttexts::kAbsentAt.arg(path)};
        case EACCES:
        case EPERM:
            return {OpenFailure::PermissionDenied, permissionMessage(accessFactsOf(path))};
        case EBUSY:
            return {OpenFailure::Busy, porttexts::kBusy.arg(path)};
        case EISDIR:
            return {OpenFailure::NotSerial, porttexts::kNotSerial.arg(path)};
        default:
            return {OpenFailure::Other, porttexts::kCannotOpenWhy.arg(
                                            path, QString::fromLocal8Bit(std::strerror(error)))};
    }
}

}  // namespace

ProbeResult precheckPort(const QString& given) {
    const QString path = QFileInfo(given).absoluteFilePath();
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (::stat(native.constData(), &st) != 0) return fromErrno(errno, path);
    if (!S_ISCHR(st.st_mode)) return fromErrno(EISDIR, path);
    return {};
}

ProbeResult diagnosePort(const QString& given) {
    const QString path = QFileInfo(given).absoluteFilePath();
    if (ProbeResult pre = precheckPort(path); pre.failure != OpenFailure::None) return pre;
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return fromErrno(errno, path);
    const bool terminal = ::isatty(fd) == 1;
    ::close(fd);
    if (!terminal) return fromErrno(EISDIR, path);
    return {OpenFailure::Other, porttexts::kCannotOpen.arg(path)};
}

}  // namespace qelv
