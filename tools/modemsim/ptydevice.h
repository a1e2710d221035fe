#pragma once

#include "outbox.h"
#include "profile.h"
#include "pty.h"

#include <poll.h>

#include <filesystem>
#include <memory>
#include <optional>

namespace qelv::modemsim {

// One simulated device: a pty linked as DIR/comN, played by a profile. The link is removed when
// the device goes: when it vanishes or its pty fails, or at the latest when it is destroyed.
class PtyDevice {
public:
    // Throws std::system_error when the pty, the link or the recording cannot be made.
    PtyDevice(int port, std::unique_ptr<Profile> profile, const std::filesystem::path& dir,
              bool record);
    ~PtyDevice();
    PtyDevice(const PtyDevice&) = delete;
    PtyDevice& operator=(const PtyDevice&) = delete;

    bool isOpen() const { return m_pty.master.valid(); }
    pollfd pollRequest() const;
    void handle(short revents, Clock::time_point now);
    void drain(Clock::time_point now);
    std::optional<Clock::time_point> nextDue() const;

private:
    void receive(Clock::time_point now);
    std::size_t writeToMaster(std::string_view bytes);
    void close();

    std::unique_ptr<Profile> m_profile;
    RawPty m_pty;
    std::filesystem::path m_link;
    UniqueFd m_recording;
    Outbox m_outbox;
    bool m_failed = false;
};

}  // namespace qelv::modemsim
