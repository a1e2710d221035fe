#pragma once

#include "profile.h"

#include <memory>

namespace qelv::modemsim {

// A device whose UART runs at one speed: bytes sent at any other speed reach it as garbage,
// and what it sends back reaches the other side as garbage too, so it answers every byte with
// a byte of noise (never CR, LF or a letter) and hears nothing. At its own speed, `device`
// plays it. An autobauding device takes the speed of the first "A" it hears as its own.
class LineSpeedGate : public Profile {
public:
    static constexpr int kAutobaud = 0;

    // `speed` in bit/s, or kAutobaud.
    LineSpeedGate(int speed, std::unique_ptr<Profile> device);

    void receive(char byte, Clock::time_point now, Outbox& out) override;
    bool vanished() const override { return m_device->vanished(); }
    void setLineSpeed(int bitsPerSecond) override { m_lineSpeed = bitsPerSecond; }

private:
    int m_speed;
    int m_lineSpeed = 0;
    unsigned m_garble = 0;
    std::unique_ptr<Profile> m_device;
};

// The speed the slave side of the pseudo-terminal `masterFd` is set to, in bit/s; 0 when it
// cannot be told. (On Linux the master reads the slave's line settings.)
int slaveLineSpeed(int masterFd);

}  // namespace qelv::modemsim
