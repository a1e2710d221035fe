#include "ptydevice.h"

#include "linespeed.h"

#include <unistd.h>

#include <array>
#include <cerrno>

namespace qelv::modemsim {

namespace {

constexpr std::size_t kReadChunk = 4096;

}  // namespace

PtyDevice::PtyDevice(int port, std::unique_ptr<Profile> profile, const std::filesystem::path& dir,
                     bool record)
    : m_profile(std::move(profile)),
      m_pty(openRawPty()),
      m_link(dir / ("com" + std::to_string(port))) {
    if (record) {
        std::filesystem::path recording = m_link;
        recording += ".rx";
        m_recording = createAppendOnlyFile(recording);
    }
    replaceSymlink(m_pty.slavePath, m_link);
}

PtyDevice::~PtyDevice() {
    removeSymlinkTo(m_link, m_pty.slavePath);
}

pollfd PtyDevice::pollRequest() const {
    const short events = m_outbox.waitsForRoom() ? POLLIN | POLLOUT : POLLIN;
    return pollfd{m_pty.master.get(), events, 0};
}

void PtyDevice::handle(short revents, Clock::time_point now) {
    // Writability is taken up by the next drain; hang-ups and errors show up as a failed read.
    if (revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) receive(now);
}

void PtyDevice::receive(Clock::time_point now) {
    std::array<char, kReadChunk> buffer;
    const ssize_t count = ::read(m_pty.master.get(), buffer.data(), buffer.size());
    if (count < 0 && (errno == EAGAIN || errno == EINTR)) return;
    if (count <= 0) {
        close();
        return;
    }
    // The other side may change its speed between writes; what is read now came at the speed
    // it has now, near enough for a device that is asked one line at a time.
    m_profile->setLineSpeed(slaveLineSpeed(m_pty.master.get()));
    std::size_t taken = 0;
    while (taken < static_cast<std::size_t>(count) && !m_profile->vanished())
        m_profile->receive(buffer[taken++], now, m_outbox);
    if (m_recording.valid()) writeAll(m_recording.get(), buffer.data(), taken);
    if (m_profile->vanished()) {
        drain(now);
        close();
    }
}

void PtyDevice::drain(Clock::time_point now) {
    if (!isOpen()) return;
    m_outbox.drain(now, [this](std::string_view bytes) { return writeToMaster(bytes); });
    if (m_failed) close();
}

std::size_t PtyDevice::writeToMaster(std::string_view bytes) {
    if (bytes.empty() || m_failed) return 0;
    const ssize_t written = ::write(m_pty.master.get(), bytes.data(), bytes.size());
    if (written >= 0) return static_cast<std::size_t>(written);
    if (errno != EAGAIN && errno != EINTR) m_failed = true;
    return 0;
}

std::optional<Clock::time_point> PtyDevice::nextDue() const {
    if (!isOpen()) return std::nullopt;
    return m_outbox.nextDue();
}

void PtyDevice::close() {
    // Once the pty is released the system hands its number to the next pty made anywhere, so
    // a comN left pointing at it would lead a reader to a stranger's device.
    removeSymlinkTo(m_link, m_pty.slavePath);
    m_outbox.clear();
    m_pty.master.reset();
    m_pty.slave.reset();
}

}  // namespace qelv::modemsim
