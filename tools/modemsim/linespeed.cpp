#include "linespeed.h"

#include <termios.h>

#include <array>
#include <utility>

namespace qelv::modemsim {

LineSpeedGate::LineSpeedGate(int speed, std::unique_ptr<Profile> device)
    : m_speed(speed), m_device(std::move(device)) {}

void LineSpeedGate::receive(char byte, Clock::time_point now, Outbox& out) {
    if (m_speed == kAutobaud && (byte == 'A' || byte == 'a')) m_speed = m_lineSpeed;
    if (m_speed != kAutobaud && m_lineSpeed == m_speed) {
        m_device->receive(byte, now, out);
        return;
    }
    if (m_speed == kAutobaud) return;  // nothing to lock on yet
    const char noise = static_cast<char>(
        0x80 | ((static_cast<unsigned char>(byte) * 37u + m_garble++ * 11u) & 0x7Fu));
    out.send(std::string_view(&noise, 1), now);
}

int slaveLineSpeed(int masterFd) {
    static constexpr std::array<std::pair<speed_t, int>, 19> kSpeeds{{{B300, 300},
                                                                      {B1200, 1200},
                                                                      {B2400, 2400},
                                                                      {B4800, 4800},
                                                                      {B9600, 9600},
                                                                      {B19200, 19200},
                                                                      {B38400, 38400},
                                                                      {B57600, 57600},
                                                                      {B115200, 115200},
                                                                      {B230400, 230400},
                                                                      {B460800, 460800},
                                                                      {B500000, 500000},
                                                                      {B576000, 576000},
                                                                      {B921600, 921600},
                                                                      {B1000000, 1000000},
                                                                      {B1152000, 1152000},
                                                                      {B1500000, 1500000},
                                                                      {B2000000, 2000000},
                                                                      {B4000000, 4000000}}};
    termios settings{};
    if (::tcgetattr(masterFd, &settings) != 0) return 0;
    const speed_t speed = ::cfgetispeed(&settings);
    for (const auto& [code, bits] : kSpeeds)
        if (code == speed) return bits;
    return 0;
}

}  // namespace qelv::modemsim
