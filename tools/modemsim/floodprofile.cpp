#include "floodprofile.h"

namespace qelv::modemsim {

void FloodProfile::receive(char, Clock::time_point now, Outbox& out) {
    if (m_started) return;
    m_started = true;
    out.startStream("DATA", m_bytesPerSecond, now);
}

}  // namespace qelv::modemsim
