#include "simulatorprocess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace qelv {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::chrono::seconds kReadyTimeout{5};
constexpr std::chrono::seconds kStopTimeout{2};
constexpr std::chrono::milliseconds kReapInterval{5};

std::runtime_error failure(const std::string& what, int error = 0) {
    return std::runtime_error("qelv-modemsim: " + what +
                              (error ? ": " + std::string(std::strerror(error)) : ""));
}

void closeFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

std::string linkName(const std::string& dir, int n) {
    return dir + "/com" + std::to_string(n);
}

bool reapWithin(pid_t pid, std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    while (true) {
        int status = 0;
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid || (done < 0 && errno != EINTR)) return true;
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(kReapInterval);
    }
}

}  // namespace

SimulatorProcess::SimulatorProcess(std::string binaryPath, std::string dir,
                                   std::vector<std::string> profiles, bool record)
    : m_dir(std::move(dir)) {
    std::vector<std::string> arguments{binaryPath, "--dir", m_dir};
    if (record) arguments.emplace_back("--record");
    arguments.insert(arguments.end(), profiles.begin(), profiles.end());
    try {
        start(binaryPath, arguments);
        waitForReady();
    } catch (...) {
        stop();
        throw;
    }
}

SimulatorProcess::~SimulatorProcess() {
    stop();
}

void SimulatorProcess::start(const std::string& binaryPath,
                             const std::vector<std::string>& arguments) {
    int toChild[2];
    int fromChild[2];
    if (::pipe2(toChild, O_CLOEXEC) != 0) throw failure("pipe", errno);
    if (::pipe2(fromChild, O_CLOEXEC) != 0) {
        const int error = errno;
        ::close(toChild[0]);
        ::close(toChild[1]);
        throw failure("pipe", error);
    }
    m_stdin = toChild[1];
    m_stdout = fromChild[0];
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_adddup2(&actions, toChild[0], STDIN_FILENO);
    ::posix_spawn_file_actions_adddup2(&actions, fromChild[1], STDOUT_FILENO);
    const int error =
        ::posix_spawn(&m_pid, binaryPath.c_str(), &actions, nullptr, argv.data(), environ);
    ::posix_spawn_file_actions_destroy(&actions);
    ::close(toChild[0]);
    ::close(fromChild[1]);
    if (error != 0) {
        m_pid = -1;
        throw failure("cannot start " + binaryPath, error);
    }
}

void SimulatorProcess::waitForReady() {
    const auto deadline = Clock::now() + kReadyTimeout;
    std::string output;
    while (output.find('\n') == std::string::npos) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) throw failure("not ready within 5 s");
        pollfd request{m_stdout, POLLIN, 0};
        if (::poll(&request, 1, static_cast<int>(left.count())) < 0 && errno != EINTR)
            throw failure("poll", errno);
        char buffer[256];
        const ssize_t count = request.revents ? ::read(m_stdout, buffer, sizeof buffer) : -1;
        if (count == 0) throw failure("exited before it was ready");
        if (count > 0) output.append(buffer, static_cast<std::size_t>(count));
    }
    if (output.substr(0, output.find('\n')) != "ready")
        throw failure("unexpected output: " + output);
}

std::string SimulatorProcess::received(int n) const {
    std::ifstream file(linkName(m_dir, n) + ".rx", std::ios::binary);
    std::ostringstream contents;
    contents << file.rdbuf();
    return contents.str();
}

std::string SimulatorProcess::devicePath(int n) const {
    std::error_code error;
    const auto target = std::filesystem::read_symlink(linkName(m_dir, n), error);
    return error ? std::string() : target.string();
}

void SimulatorProcess::stop() {
    closeFd(m_stdin);
    if (m_pid > 0) {
        ::kill(m_pid, SIGTERM);
        if (!reapWithin(m_pid, kStopTimeout)) {
            ::kill(m_pid, SIGKILL);
            reapWithin(m_pid, kStopTimeout);
        }
        m_pid = -1;
    }
    closeFd(m_stdout);
}

}  // namespace qelv
