#include "procholders.h"

#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace qelv {

namespace {

// Unix 98 pseudo-terminal slaves live on majors 136..143; the master multiplexer is 5:2,
// whichever devpts or devtmpfs node it was opened through.
constexpr unsigned kPtySlaveMajor = 136;
constexpr unsigned kPtySlaveMajors = 8;
const dev_t kPtmx = makedev(5, 2);

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};
using DirPtr = std::unique_ptr<DIR, DirCloser>;

bool isNumber(const char* name) {
    if (*name == '\0') return false;
    for (const char* c = name; *c; ++c)
        if (*c < '0' || *c > '9') return false;
    return true;
}

// The `tty-index:` line of a master's fdinfo, -1 when there is none.
int masterIndex(int pidDir, const char* fd) {
    const std::string path = std::string("fdinfo/") + fd;
    const int file = ::openat(pidDir, path.c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0) return -1;
    char text[512];
    const ssize_t n = ::read(file, text, sizeof text - 1);
    ::close(file);
    if (n <= 0) return -1;
    text[n] = '\0';
    const char* line = std::strstr(text, "tty-index:");
    return line ? std::atoi(line + std::strlen("tty-index:")) : -1;
}

struct ProcessUse {
    bool holdsDevice = false;
    bool servesDevice = false;
};

ProcessUse useOf(int pidDir, dev_t device, int ptyIndex) {
    ProcessUse use;
    const int fdDir = ::openat(pidDir, "fd", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fdDir < 0) return use;
    DirPtr fds(::fdopendir(fdDir));
    if (!fds) {
        ::close(fdDir);
        return use;
    }
    while (const dirent* entry = ::readdir(fds.get())) {
        struct stat st {};
        if (!isNumber(entry->d_name) || ::fstatat(fdDir, entry->d_name, &st, 0) != 0) continue;
        if (!S_ISCHR(st.st_mode)) continue;
        if (st.st_rdev == device) use.holdsDevice = true;
        if (ptyIndex >= 0 && st.st_rdev == kPtmx && masterIndex(pidDir, entry->d_name) == ptyIndex)
            use.servesDevice = true;
    }
    return use;
}

}  // namespace

int ptyIndexOf(dev_t device) {
    const unsigned maj = major(device);
    if (maj < kPtySlaveMajor || maj >= kPtySlaveMajor + kPtySlaveMajors) return -1;
    return static_cast<int>((maj - kPtySlaveMajor) * 256 + minor(device));
}

DeviceHolders scanDeviceHolders(dev_t device, const QString& procDir) {
    DeviceHolders holders;
    const int procFd =
        ::open(QFile::encodeName(procDir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (procFd < 0) return holders;
    DirPtr proc(::fdopendir(procFd));
    if (!proc) {
        ::close(procFd);
        return holders;
    }
    const qint64 self = ::getpid();
    const int ptyIndex = ptyIndexOf(device);
    while (const dirent* entry = ::readdir(proc.get())) {
        if (!isNumber(entry->d_name)) continue;
        const qint64 pid = std::atoll(entry->d_name);
        if (pid == self) continue;
        const int pidDir = ::openat(procFd, entry->d_name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (pidDir < 0) continue;
        const ProcessUse use = useOf(pidDir, device, ptyIndex);
        ::close(pidDir);
        if (use.servesDevice)
            holders.farEnds << pid;
        else if (use.holdsDevice)
            holders.users << pid;
    }
    return holders;
}

QString processComm(qint64 pid, const QString& procDir) {
    QFile comm(QStringLiteral("%1/%2/comm").arg(procDir).arg(pid));
    if (!comm.open(QIODevice::ReadOnly)) return {};
    return QString::fromLocal8Bit(comm.readAll().trimmed());
}

QString processLabel(qint64 pid, const QString& procDir) {
    const QString comm = processComm(pid, procDir);
    if (comm.isEmpty()) return QStringLiteral("PID %1").arg(pid);
    return QStringLiteral("PID %1 (%2)").arg(pid).arg(comm);
}

}  // namespace qelv
