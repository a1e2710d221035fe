#include "commandline.h"

#include <cctype>
#include <utility>

namespace qelv::modemsim {

namespace {

constexpr char kBackspace = '\b';

char upper(char byte) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(byte)));
}

}  // namespace

std::optional<CommandLine> CommandLineReader::feed(char byte) {
    switch (m_state) {
        case State::WaitingForA:
            if (upper(byte) == 'A') m_state = State::WaitingForT;
            return std::nullopt;
        case State::WaitingForT:
            if (upper(byte) == 'T') {
                m_state = State::InLine;
                m_line = {};
            } else if (upper(byte) != 'A') {
                m_state = State::WaitingForA;
            }
            return std::nullopt;
        case State::InLine:
            return takeLineByte(byte);
    }
    return std::nullopt;
}

std::optional<CommandLine> CommandLineReader::takeLineByte(char byte) {
    if (byte == '\r') {
        m_state = State::WaitingForA;
        return std::exchange(m_line, {});
    }
    if (byte == kBackspace) {
        if (!m_line.body.empty()) m_line.body.pop_back();
        return std::nullopt;
    }
    if (static_cast<unsigned char>(byte) < 0x20) return std::nullopt;
    if (m_line.body.size() < kMaxBody)
        m_line.body += byte;
    else
        m_line.tooLong = true;
    return std::nullopt;
}

}  // namespace qelv::modemsim
