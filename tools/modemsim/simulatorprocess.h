#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace qelv {

// Runs qelv-modemsim for a test. Its standard input is a pipe from this process, so the
// simulator ends with the test even when the test dies without stopping it.
class SimulatorProcess {
public:
    // Starts `binaryPath --dir dir [--record] profiles...` and waits up to 5 s for "ready".
    // Throws std::runtime_error when it cannot start or does not become ready.
    SimulatorProcess(std::string binaryPath, std::string dir, std::vector<std::string> profiles,
                     bool record = true);
    ~SimulatorProcess();
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;

    // Everything device n has received so far (DIR/comN.rx); empty when nothing was recorded.
    std::string received(int n) const;
    // Where DIR/comN points; empty when there is no such link.
    std::string devicePath(int n) const;
    const std::string& dir() const { return m_dir; }
    // Ends the simulator and waits for it; it removes its links first. Safe to call twice.
    void stop();

private:
    void start(const std::string& binaryPath, const std::vector<std::string>& arguments);
    void waitForReady();

    std::string m_dir;
    pid_t m_pid = -1;
    int m_stdin = -1;
    int m_stdout = -1;
};

}  // namespace qelv
