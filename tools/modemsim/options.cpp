#include "options.h"

#include <algorithm>
#include <charconv>

namespace qelv::modemsim {

namespace {

DeviceRequest parseDevice(std::string_view text) {
    const auto at = text.rfind('@');
    if (at == std::string_view::npos) throw UsageError("missing @N in '" + std::string(text) + "'");
    const auto port = parseCount(text.substr(at + 1), kMaxPort);
    if (!port || *port < kMinPort)
        throw UsageError("port number must be 1..255 in '" + std::string(text) + "'");
    DeviceRequest request;
    request.port = static_cast<int>(*port);
    const std::string_view profile = text.substr(0, at);
    const auto colon = profile.find(':');
    request.profile = std::string(profile.substr(0, colon));
    if (colon != std::string_view::npos) request.argument = std::string(profile.substr(colon + 1));
    if (request.profile.empty()) throw UsageError("missing profile in '" + std::string(text) + "'");
    return request;
}

void checkComplete(const Options& options) {
    if (options.help) return;
    if (options.dir.empty()) throw UsageError("--dir DIR is required");
    if (options.devices.empty()) throw UsageError("no PROFILE@N given");
    for (auto it = options.devices.begin(); it != options.devices.end(); ++it) {
        const int port = it->port;
        if (std::any_of(options.devices.begin(), it, [port](auto& d) { return d.port == port; }))
            throw UsageError("com" + std::to_string(port) + " given twice");
    }
}

}  // namespace

std::optional<long> parseCount(std::string_view text, long max) {
    long value = 0;
    const char* end = text.data() + text.size();
    const auto [rest, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || text.front() == '-' || error != std::errc() || rest != end || value > max)
        return std::nullopt;
    return value;
}

Options parseOptions(const std::vector<std::string_view>& args) {
    Options options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--record") {
            options.record = true;
        } else if (arg == "--dir") {
            if (++i == args.size() || args[i].empty()) throw UsageError("--dir needs a directory");
            options.dir = std::string(args[i]);
        } else if (arg.starts_with("--dir=") && arg.size() > 6) {
            options.dir = std::string(arg.substr(6));
        } else if (arg.starts_with("-")) {
            throw UsageError("unknown option '" + std::string(arg) + "'");
        } else {
            options.devices.push_back(parseDevice(arg));
        }
    }
    checkComplete(options);
    return options;
}

std::string usageText() {
    return "usage: qelv-modemsim --dir DIR [--record] PROFILE[:ARG]@N [PROFILE[:ARG]@N ...]\n"
           "profiles: hayes error silent late[:MS] nolf lowerok noisy flood[:BYTES_PER_SEC]"
           " chatter[:BYTES_PER_SEC] vanish\n"
           "  current devices: quectel-ec25 simcom-sim7600 ublox-sara-r4 simcom-sim800 "
           "(autobauds)\n"
           "  esp-at (115200 bit/s only) usr-56k\n"
           "Plays one device per PROFILE@N on a pseudo-terminal linked as DIR/comN, prints\n"
           "'ready' and creates DIR/ready, and runs until SIGTERM/SIGINT or end of stdin.\n";
}

}  // namespace qelv::modemsim
