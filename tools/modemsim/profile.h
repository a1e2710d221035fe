#pragma once

#include "outbox.h"

namespace qelv::modemsim {

// How one simulated device reacts to what it receives. Devices take their input a byte at a time,
// the way a UART hands it over, so no profile depends on how the sender split its writes.
class Profile {
public:
    virtual ~Profile() = default;
    virtual void receive(char byte, Clock::time_point now, Outbox& out) = 0;
    // Once true, the device is gone: its pty closes and it takes no more input.
    virtual bool vanished() const { return false; }
    // The line speed in bit/s the other side has set, before the bytes that came at it; 0
    // when it cannot be told. Only a device with a line speed of its own cares.
    virtual void setLineSpeed(int /*bitsPerSecond*/) {}
};

}  // namespace qelv::modemsim
