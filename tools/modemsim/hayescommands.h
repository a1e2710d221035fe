#pragma once

#include <cstddef>
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
// meaning 0). nullopt when any command is unknown or its number out of range; I<n> is known
// for n below `informationTexts`.
std::optional<std::vector<HayesCommand>> parseHayesCommands(std::string_view body,
                                                            std::size_t informationTexts);

}  // namespace qelv::modemsim
