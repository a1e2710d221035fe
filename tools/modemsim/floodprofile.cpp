#include "floodprofile.h"

#include <cstdint>

namespace qelv::modemsim {

void FloodProfile::receive(char, Clock::time_point now, Outbox& out) {
    if (m_started) return;
    m_started = true;
    out.startStream(m_pattern, m_bytesPerSecond, now);
}

std::string chatterPattern() {
    constexpr std::size_t kNoise = 4096;
    std::string pattern;
    std::uint32_t state = 0x9E3779B9u;  // xorshift32: the same noise at every run
    while (pattern.size() < kNoise) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        const char byte = static_cast<char>(state >> 24);
        pattern += byte == 'O' ? 'o' : byte;
    }
    return pattern + "\nOK\n";
}

}  // namespace qelv::modemsim
