#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace qelv::modemsim {

struct CommandLine {
    std::string body;  // what followed "AT", control characters left out
    bool tooLong = false;
};

// Finds Hayes command lines in a byte stream: an "AT" prefix in any letter case, up to a CR.
// Bytes before the prefix (the LF of a CR LF, line noise) are ignored, as a modem does.
class CommandLineReader {
public:
    // Returns the finished line when `byte` is the CR that ends one.
    std::optional<CommandLine> feed(char byte);

private:
    enum class State { WaitingForA, WaitingForT, InLine };
    // Modems keep a short command buffer and reject lines that overflow it.
    static constexpr std::size_t kMaxBody = 128;

    std::optional<CommandLine> takeLineByte(char byte);

    State m_state = State::WaitingForA;
    CommandLine m_line;
};

}  // namespace qelv::modemsim
