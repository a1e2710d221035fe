#include "hayescommands.h"

#include <cctype>
#include <cstddef>

namespace qelv::modemsim {

namespace {

// Longer numbers are rejected rather than risking overflow.
constexpr std::size_t kMaxDigits = 3;

char upperAt(std::string_view text, std::size_t pos) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(text[pos])));
}

std::optional<int> readNumber(std::string_view body, std::size_t& pos) {
    int value = 0;
    std::size_t digits = 0;
    for (; pos < body.size() && body[pos] >= '0' && body[pos] <= '9'; ++pos, ++digits)
        value = value * 10 + (body[pos] - '0');
    if (digits > kMaxDigits) return std::nullopt;
    return value;
}

std::optional<HayesCommand> flag(HayesCommandKind kind, int value) {
    if (value != 0 && value != 1) return std::nullopt;
    return HayesCommand{kind, value};
}

std::optional<HayesCommand> makeCommand(bool ampersand, char letter, int value,
                                        std::size_t informationTexts) {
    if (ampersand) {
        if (letter != 'F' || value != 0) return std::nullopt;
        return HayesCommand{HayesCommandKind::FactoryDefaults, 0};
    }
    switch (letter) {
        case 'E':
            return flag(HayesCommandKind::Echo, value);
        case 'Q':
            return flag(HayesCommandKind::Quiet, value);
        case 'V':
            return flag(HayesCommandKind::Verbose, value);
        case 'Z':
            if (value != 0) return std::nullopt;
            return HayesCommand{HayesCommandKind::Reset, 0};
        case 'I':
            if (static_cast<std::size_t>(value) >= informationTexts) return std::nullopt;
            return HayesCommand{HayesCommandKind::Information, value};
        default:
            return std::nullopt;
    }
}

}  // namespace

std::optional<std::vector<HayesCommand>> parseHayesCommands(std::string_view body,
                                                            std::size_t informationTexts) {
    std::vector<HayesCommand> commands;
    std::size_t pos = 0;
    while (true) {
        while (pos < body.size() && body[pos] == ' ') ++pos;
        if (pos == body.size()) return commands;
        const bool ampersand = body[pos] == '&';
        if (ampersand && ++pos == body.size()) return std::nullopt;
        const char letter = upperAt(body, pos++);
        const auto value = readNumber(body, pos);
        const auto command =
            value ? makeCommand(ampersand, letter, *value, informationTexts) : std::nullopt;
        if (!command) return std::nullopt;
        commands.push_back(*command);
    }
}

}  // namespace qelv::modemsim
