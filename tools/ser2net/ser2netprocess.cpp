#include "ser2netprocess.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <vector>

namespace qelv {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::chrono::seconds kListenTimeout{5};
constexpr std::chrono::seconds kStopTimeout{2};
constexpr std::chrono::milliseconds kLook{5};
const char* const kPlaces[] = {"/usr/sbin/ser2net", "/usr/bin/ser2net", "/usr/local/sbin/ser2net"};

std::runtime_error failure(const std::string& what) {
    return std::runtime_error("ser2net: " + what);
}

std::string binary() {
    for (const char* place : kPlaces)
        if (::access(place, X_OK) == 0) return place;
    throw failure("not installed (scripts/deps.sh installs it)");
}

// The configuration, one line for each -Y.
std::vector<std::string> configLines(const Ser2netProcess::Config& config) {
    const std::string accepter = config.rfc2217 ? "telnet(rfc2217),tcp" : "tcp";
    return {"connection: &qelvtest", "  accepter: " + accepter + ",127.0.0.1,0",
            "  connector: serialdev," + config.device + "," + config.lineSettings + ",local",
            "  options:", std::string("    chardelay: ") + (config.charDelay ? "true" : "false")};
}

// The socket inodes among `pid`'s open descriptors.
std::set<std::string> socketInodes(pid_t pid) {
    std::set<std::string> inodes;
    const std::string dir = "/proc/" + std::to_string(pid) + "/fd";
    DIR* fds = ::opendir(dir.c_str());
    if (!fds) return inodes;
    while (const dirent* entry = ::readdir(fds)) {
        char target[64] = {};
        const std::string path = dir + "/" + entry->d_name;
        if (::readlink(path.c_str(), target, sizeof target - 1) <= 0) continue;
        const std::string text = target;
        if (text.rfind("socket:[", 0) == 0) inodes.insert(text.substr(8, text.size() - 9));
    }
    ::closedir(fds);
    return inodes;
}

// The port a listening socket among `inodes` has in /proc/net/tcp; 0 when none listens yet.
std::uint16_t listeningPort(const std::set<std::string>& inodes) {
    std::ifstream table("/proc/net/tcp");
    std::string line;
    std::getline(table, line);
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string slot, local, remote, state, queues, timer, retransmits, uid, timeout, inode;
        fields >> slot >> local >> remote >> state >> queues >> timer >> retransmits >> uid >>
            timeout >> inode;
        if (state == "0A" && inodes.count(inode))
            return static_cast<std::uint16_t>(
                std::stoul(local.substr(local.find(':') + 1), nullptr, 16));
    }
    return 0;
}

bool reapWithin(pid_t pid, std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    for (;;) {
        int status = 0;
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid || (done < 0 && errno != EINTR)) return true;
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(kLook);
    }
}

}  // namespace

Ser2netProcess::Ser2netProcess(const Config& config) : m_rfc2217(config.rfc2217) {
    try {
        start(config);
        waitForListening();
    } catch (...) {
        stop();
        throw;
    }
}

Ser2netProcess::~Ser2netProcess() {
    stop();
}

std::string Ser2netProcess::url() const {
    return std::string(m_rfc2217 ? "rfc2217" : "socket") + "://127.0.0.1:" + std::to_string(m_port);
}

void Ser2netProcess::start(const Config& config) {
    const std::string program = binary();
    // -n: stay in the foreground; -u: no UUCP lock files in the machine's lock folder.
    std::vector<std::string> arguments{program, "-n", "-u"};
    for (const std::string& line : configLines(config)) {
        arguments.emplace_back("-Y");
        arguments.push_back(line);
    }
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    const pid_t parent = ::getpid();
    m_pid = ::fork();
    if (m_pid < 0) throw failure(std::string("fork: ") + std::strerror(errno));
    if (m_pid == 0) {
        // Only async-signal-safe calls from here: the parent may have threads.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent) ::_exit(127);
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, STDIN_FILENO);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
}

void Ser2netProcess::waitForListening() {
    const auto deadline = Clock::now() + kListenTimeout;
    while (m_port == 0) {
        int status = 0;
        if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            throw failure("exited before it listened");
        }
        if (Clock::now() >= deadline) throw failure("not listening within 5 s");
        std::this_thread::sleep_for(kLook);
        m_port = listeningPort(socketInodes(m_pid));
    }
}

void Ser2netProcess::stop() {
    if (m_pid <= 0) return;
    ::kill(m_pid, SIGTERM);
    if (!reapWithin(m_pid, kStopTimeout)) {
        ::kill(m_pid, SIGKILL);
        reapWithin(m_pid, kStopTimeout);
    }
    m_pid = -1;
}

}  // namespace qelv
