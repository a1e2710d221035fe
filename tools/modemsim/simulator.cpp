#include "simulator.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

namespace qelv::modemsim {

namespace {

constexpr std::chrono::milliseconds kLongestWait{60'000};
constexpr std::size_t kFixedPollEntries = 2;  // shutdown pipe, standard input

std::filesystem::path readyFile(const std::filesystem::path& dir) {
    return dir / "ready";
}

}  // namespace

Simulator::Simulator(std::filesystem::path dir, bool record, std::vector<DeviceSetup> setups)
    : m_dir(std::move(dir)) {
    std::filesystem::create_directories(m_dir);
    std::filesystem::remove(readyFile(m_dir));
    for (DeviceSetup& setup : setups)
        m_devices.push_back(
            std::make_unique<PtyDevice>(setup.port, std::move(setup.profile), m_dir, record));
}

Simulator::~Simulator() {
    std::error_code ignored;
    if (m_markedReady) std::filesystem::remove(readyFile(m_dir), ignored);
}

void Simulator::markReady() {
    const UniqueFd file = createAppendOnlyFile(readyFile(m_dir));
    m_markedReady = true;
}

void Simulator::run(const ShutdownSignals& signals) {
    while (true) {
        const Clock::time_point now = Clock::now();
        for (auto& device : m_devices) device->drain(now);
        std::vector<pollfd> fds{{signals.fd(), POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
        std::vector<PtyDevice*> polled;
        for (auto& device : m_devices) {
            if (!device->isOpen()) continue;
            fds.push_back(device->pollRequest());
            polled.push_back(device.get());
        }
        if (::poll(fds.data(), fds.size(), pollTimeoutMs(now)) < 0) {
            if (errno == EINTR) continue;
            throw std::system_error(errno, std::generic_category(), "poll");
        }
        if (fds[0].revents != 0 || stdinEnded(fds[1].revents)) return;
        const Clock::time_point woke = Clock::now();
        for (std::size_t i = 0; i < polled.size(); ++i)
            if (fds[kFixedPollEntries + i].revents != 0)
                polled[i]->handle(fds[kFixedPollEntries + i].revents, woke);
    }
}

int Simulator::pollTimeoutMs(Clock::time_point now) const {
    std::optional<Clock::time_point> next;
    for (const auto& device : m_devices)
        if (const auto due = device->nextDue(); due && (!next || *due < *next)) next = due;
    if (!next) return -1;
    const auto wait = std::clamp(std::chrono::ceil<std::chrono::milliseconds>(*next - now),
                                 std::chrono::milliseconds(0), kLongestWait);
    return static_cast<int>(wait.count());
}

bool Simulator::stdinEnded(short revents) const {
    if (revents == 0) return false;
    if (!(revents & POLLIN)) return true;
    char discard[512];
    const ssize_t count = ::read(STDIN_FILENO, discard, sizeof discard);
    if (count < 0) return errno != EAGAIN && errno != EINTR;
    return count == 0;
}

}  // namespace qelv::modemsim
