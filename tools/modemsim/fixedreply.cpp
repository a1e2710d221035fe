#include "fixedreply.h"

#include <utility>

namespace qelv::modemsim {

FixedReplyProfile::FixedReplyProfile(std::string reply, std::chrono::milliseconds delay,
                                     Delivery delivery)
    : m_reply(std::move(reply)), m_delay(delay), m_delivery(delivery) {}

void FixedReplyProfile::receive(char byte, Clock::time_point now, Outbox& out) {
    if (!m_reader.feed(byte)) return;
    if (m_delivery == Delivery::InPieces)
        out.sendInPieces(m_reply, now + m_delay);
    else
        out.send(m_reply, now + m_delay);
}

std::string noisyReply() {
    std::string reply;
    for (int byte = 0x00; byte <= 0x1F; ++byte) reply += static_cast<char>(byte);
    reply += '\x7F';
    // C1 controls (NEL, CSI, OSC), NBSP, soft hyphen, broken UTF-8, U+202E, a BOM, FE FF.
    for (int byte : {0x80, 0x85, 0x9B, 0x9D, 0xA0, 0xAD, 0xC3, 0x28, 0xE2, 0x80, 0xAE, 0xEF, 0xBB,
                     0xBF, 0xFE, 0xFF})
        reply += static_cast<char>(byte);
    reply += "\x1b[2J\x1b]0;pwned\x07\x1b[31m<b>&amp;</b>";
    // What quoting formats take for their own: quotes, a backslash before a quote and before n.
    reply += "\"quoted\" it's \\\" \\n";
    return reply + "\r\nOK\r\n";
}

}  // namespace qelv::modemsim
