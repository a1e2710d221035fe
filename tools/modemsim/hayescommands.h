#pragma once

#include <optional>
#include <string_view>
#include <vector>

namespace qelv::modemsim {

enum class HayesCommandKind { Echo, Quiet, Verbose, Reset, FactoryDefaults, Information };

struct HayesCommand {
    HayesCommandKind kind;
    int value = 0;
};

// Splits the text after "AT" into its chained commands (spaces ignored, a missing number
// meaning 0). nullopt when any command is unknown or its number out of range.
std::optional<std::vector<HayesCommand>> parseHayesCommands(std::string_view body);

// The text of I<index>; nullopt past the end of the table.
std::optional<std::string_view> hayesInformationText(int index);

}  // namespace qelv::modemsim
