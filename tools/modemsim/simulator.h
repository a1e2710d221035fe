#pragma once

#include "profile.h"
#include "ptydevice.h"
#include "shutdownsignals.h"

#include <filesystem>
#include <memory>
#include <vector>

namespace qelv::modemsim {

struct DeviceSetup {
    int port = 0;
    std::unique_ptr<Profile> profile;
};

// All devices in one poll loop. Destroying it removes the comN links and the ready file.
class Simulator {
public:
    // Creates DIR when missing, then every device. Throws std::system_error or
    // std::filesystem::filesystem_error.
    Simulator(std::filesystem::path dir, bool record, std::vector<DeviceSetup> setups);
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Creates DIR/ready for whoever watches the directory rather than standard output.
    void markReady();
    // Returns once a shutdown signal arrives or standard input ends or hangs up, so the
    // simulator dies with a parent that holds the other end of a pipe.
    void run(const ShutdownSignals& signals);

private:
    int pollTimeoutMs(Clock::time_point now) const;
    bool stdinEnded(short revents) const;

    std::filesystem::path m_dir;
    std::vector<std::unique_ptr<PtyDevice>> m_devices;
    bool m_markedReady = false;
};

}  // namespace qelv::modemsim
