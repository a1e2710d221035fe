#include "procholders.h"

#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <cstdlib>
#include <cstring>
#include <string>

namespace qelv {

namespace {

// Unix 98 pseudo-terminal slaves live on majors 136..143; the master multiplexer is 5:2,
// whichever devpts or devtmpfs node it was opened through.
constexpr unsigned kPtySlaveMajor = 136;
constexpr unsigned kPtySlaveMajors = 8;
const dev_t kPtmx = makedev(5, 2);

// The names in a folder, read with getdents64 straight: readdir's fdopendir adds calls and
// an allocation per folder, and a pass reads one folder per process.
template <typename Visit>
void forEachName(int dirFd, Visit visit) {
    alignas(dirent64) char buffer[16384];
    for (;;) {
        const long got = ::syscall(SYS_getdents64, dirFd, buffer, sizeof buffer);
        if (got <= 0) return;
        for (long at = 0; at < got;) {
            const auto* entry = reinterpret_cast<const dirent64*>(buffer + at);
            visit(entry->d_name);
            at += entry->d_reclen;
        }
    }
}

bool isNumber(const char* name) {
    if (*name == '\0') return false;
    for (const char* c = name; *c; ++c)
        if (*c < '0' || *c > '9') return false;
    return true;
}

// The `tty-index:` line of a master's fdinfo, -1 when there is none.
int masterIndex(int procFd, const std::string& pidName, const char* fd) {
    const std::string path = pidName + "/fdinfo/" + fd;
    const int file = ::openat(procFd, path.c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0) return -1;
    char text[512];
    const ssize_t n = ::read(file, text, sizeof text - 1);
    ::close(file);
    if (n <= 0) return -1;
    text[n] = '\0';
    const char* line = std::strstr(text, "tty-index:");
    return line ? std::atoi(line + std::strlen("tty-index:")) : -1;
}

void addOnce(QList<qint64>& pids, qint64 pid) {
    if (pids.isEmpty() || pids.last() != pid) pids << pid;
}

// Opens no more than the process's fd folder (and a master's fdinfo): a pass makes
// thousands of these calls, and each costs microseconds.
void scanProcess(int procFd, const std::string& pidName, DescriptorTable& table) {
    const qint64 pid = std::atoll(pidName.c_str());
    const int fdDir =
        ::openat(procFd, (pidName + "/fd").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fdDir < 0) return;
    forEachName(fdDir, [&](const char* fd) {
        struct stat st {};
        if (!isNumber(fd) || ::fstatat(fdDir, fd, &st, 0) != 0 || !S_ISCHR(st.st_mode)) return;
        if (st.st_rdev != kPtmx) {
            addOnce(table.devices[st.st_rdev], pid);
        } else if (const int index = masterIndex(procFd, pidName, fd); index >= 0) {
            addOnce(table.masters[index], pid);
        }
    });
    ::close(fdDir);
}

int openProc(const QString& procDir) {
    return ::open(QFile::encodeName(procDir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

}  // namespace

int ptyIndexOf(dev_t device) {
    const unsigned maj = major(device);
    if (maj < kPtySlaveMajor || maj >= kPtySlaveMajor + kPtySlaveMajors) return -1;
    return static_cast<int>((maj - kPtySlaveMajor) * 256 + minor(device));
}

void scanNewProcesses(const QString& procDir, DescriptorTable& table) {
    const int procFd = openProc(procDir);
    if (procFd < 0) return;
    const std::string self = std::to_string(::getpid());
    forEachName(procFd, [&](const char* name) {
        if (!isNumber(name) || name == self || !table.scanned.insert(std::atoll(name)).second)
            return;
        scanProcess(procFd, name, table);
    });
    ::close(procFd);
}

DescriptorTable scanDescriptors(const QString& procDir) {
    DescriptorTable table;
    scanNewProcesses(procDir, table);
    return table;
}

DeviceHolders holdersIn(const DescriptorTable& table, dev_t device) {
    DeviceHolders holders;
    if (const auto masters = table.masters.find(ptyIndexOf(device)); masters != table.masters.end())
        holders.farEnds = masters->second;
    if (const auto users = table.devices.find(device); users != table.devices.end())
        for (const qint64 pid : users->second)
            if (!holders.farEnds.contains(pid)) holders.users << pid;
    return holders;
}

namespace {

DescriptorTable scanOne(qint64 pid, const QString& procDir) {
    DescriptorTable table;
    const int procFd = openProc(procDir);
    if (procFd < 0) return table;
    scanProcess(procFd, std::to_string(pid), table);
    ::close(procFd);
    return table;
}

}  // namespace

bool stillUses(qint64 pid, dev_t device, const QString& procDir) {
    return holdersIn(scanOne(pid, procDir), device).users.contains(pid);
}

bool holdsDevice(qint64 pid, dev_t device, const QString& procDir) {
    const DescriptorTable table = scanOne(pid, procDir);
    const auto held = table.devices.find(device);
    return held != table.devices.end() && held->second.contains(pid);
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
