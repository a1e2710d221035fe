#pragma once

#include "profile.h"

#include <cstddef>
#include <string>
#include <utility>

namespace qelv::modemsim {

// Once anything arrives, streams `pattern` (by default "DATA") for ever and never gives a
// result code: a device that a reader must stop listening to on its own.
class FloodProfile : public Profile {
public:
    explicit FloodProfile(std::size_t bytesPerSecond, std::string pattern = "DATA")
        : m_bytesPerSecond(bytesPerSecond), m_pattern(std::move(pattern)) {}

    void receive(char byte, Clock::time_point now, Outbox& out) override;

private:
    std::size_t m_bytesPerSecond;
    std::string m_pattern;
    bool m_started = false;
};

// Noise of every byte value, "OK" only on a line of its own (LF on both sides) and never
// followed by CR LF: a device chattering so fast that a check for "OK" passes however strictly
// it judges, while an exchange waiting for "OK" CR LF runs to its time limit.
std::string chatterPattern();

}  // namespace qelv::modemsim
