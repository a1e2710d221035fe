#pragma once

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace qelv::modemsim {

// A bad command line; the program reports it and exits with kUsageExitCode.
class UsageError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

inline constexpr int kUsageExitCode = 2;
inline constexpr int kMinPort = 1;
inline constexpr int kMaxPort = 255;

// One "PROFILE[:ARG]@N" request.
struct DeviceRequest {
    std::string profile;
    std::optional<std::string> argument;
    int port = 0;
};

struct Options {
    std::filesystem::path dir;
    bool record = false;
    bool help = false;
    std::vector<DeviceRequest> devices;
};

// `args` excludes the program name. Throws UsageError.
Options parseOptions(const std::vector<std::string_view>& args);
std::string usageText();

// Digits only; nullopt for anything else or for values above `max`.
std::optional<long> parseCount(std::string_view text, long max);

}  // namespace qelv::modemsim
