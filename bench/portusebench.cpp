#include "portusebench.h"

#include "measure.h"
#include "modemsim/pty.h"
#include "oldloops.h"
#include "portuse.h"
#include "procholders.h"
#include "qtserialport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <csignal>
#include <vector>

namespace qelv::bench {

namespace {

constexpr int kCrowd = 300;
constexpr int kPorts = 16;
constexpr int kRounds = 5;

// Children that hold only /dev/null twice and a pipe and wait; killed when it goes.
class Crowd {
public:
    explicit Crowd(int size) {
        for (int i = 0; i < size; ++i) {
            const pid_t pid = ::fork();
            if (pid == 0) {
                for (int fd = 3; fd < 1024; ++fd) ::close(fd);  // not the bench's terminals
                int ends[2];
                [[maybe_unused]] const int piped = ::pipe(ends);
                ::open("/dev/null", O_RDONLY);
                ::open("/dev/null", O_WRONLY);
                for (;;) ::pause();
            }
            if (pid > 0) m_pids.push_back(pid);
        }
    }
    ~Crowd() {
        for (const pid_t pid : m_pids) ::kill(pid, SIGKILL);
        for (const pid_t pid : m_pids) ::waitpid(pid, nullptr, 0);
    }
    std::size_t size() const { return m_pids.size(); }

private:
    std::vector<pid_t> m_pids;
};

int processCount() {
    int count = 0;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs))
        if (entry.at(0).isDigit()) ++count;
    return count;
}

std::string spread(std::vector<double> walls) {
    std::sort(walls.begin(), walls.end());
    return format("%.2f ms median, %.2f max of %zu", walls[walls.size() / 2], walls.back(),
                  walls.size());
}

template <typename Work>
std::vector<double> rounds(Work work) {
    std::vector<double> walls;
    for (int i = 0; i < kRounds; ++i) walls.push_back(measure(work).wallMs);
    return walls;
}

}  // namespace

void portUseFigures(Report& report) {
    std::vector<modemsim::RawPty> ptys;
    QTemporaryDir ports;
    for (int n = 1; n <= kPorts; ++n) {
        ptys.push_back(modemsim::openRawPty());
        QFile::link(QString::fromStdString(ptys.back().slavePath),
                    QDir(ports.path()).filePath(QStringLiteral("com%1").arg(n)));
    }
    const Crowd crowd(kCrowd);
    const int processes = processCount();
    int found = 0;
    const auto ptyWalls = rounds([&] {
        for (const auto& pty : ptys)
            found += findPortUse(QString::fromStdString(pty.slavePath)) ? 1 : 0;
    });
    const auto absentWalls = rounds([&] {
        for (int n = 1; n <= kPorts; ++n)
            (void)findPortUse(QStringLiteral("/nonexistent/qelv-bench/com%1").arg(n));
    });
    const auto scanWalls = rounds([] { (void)scanDescriptors(QStringLiteral("/proc")); });
    QtSerialPort port(PortMap::fromDirectory(ports.path()));
    const auto passWalls = rounds([&] {
        for (std::int16_t n = 1; n <= kPorts; ++n) {
            openForSurvey(port, n);
            port.setPortOpen(false);
        }
    });
    const double worst = *std::max_element(ptyWalls.begin(), ptyWalls.end());
    report.add("2", format("findPortUse over 16 ptys, %d processes", processes), spread(ptyWalls),
               "< 50 ms", verdictFor(worst < 50 && found == 0));
    report.add("2", "  of which: one pass over every process's descriptors", spread(scanWalls),
               "(explains the above)", Verdict::Info);
    report.add("2", "  findPortUse over 16 absent paths", spread(absentWalls),
               "(explains the above)", Verdict::Info);
    report.add("2", "  pass 1's opens and closes of the 16 ptys, same crowd", spread(passWalls),
               "none set", Verdict::Info);
    report.note(
        format("2  in-use checks: %zu extra processes holding /dev/null twice and a pipe; "
               "%d of %d lookups found a user (0 expected). The opens are mostly Qt's "
               "own: it writes its lock file in /var/lock with fdatasync.",
               crowd.size(), found, kPorts * kRounds));
}

}  // namespace qelv::bench
