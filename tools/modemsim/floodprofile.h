#pragma once

#include "profile.h"

#include <cstddef>

namespace qelv::modemsim {

// Once anything arrives, streams "DATA" for ever and never gives a result code: a device that
// a reader must stop listening to on its own.
class FloodProfile : public Profile {
public:
    explicit FloodProfile(std::size_t bytesPerSecond) : m_bytesPerSecond(bytesPerSecond) {}

    void receive(char byte, Clock::time_point now, Outbox& out) override;

private:
    std::size_t m_bytesPerSecond;
    bool m_started = false;
};

}  // namespace qelv::modemsim
