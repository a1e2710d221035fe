// qelv-modemsim: plays modems and misbehaving serial devices on pseudo-terminals, for the
// tests and the demo mode.

#include "options.h"
#include "profilefactory.h"
#include "shutdownsignals.h"
#include "simulator.h"

#include <iostream>

using namespace qelv::modemsim;

namespace {

constexpr int kFailureExitCode = 1;

std::vector<DeviceSetup> makeSetups(const std::vector<DeviceRequest>& requests) {
    std::vector<DeviceSetup> setups;
    for (const DeviceRequest& request : requests)
        setups.push_back(DeviceSetup{request.port, makeProfile(request)});
    return setups;
}

int simulate(const Options& options, std::vector<DeviceSetup> setups) {
    const ShutdownSignals signals;
    Simulator simulator(options.dir, options.record, std::move(setups));
    // The file comes first so that whoever saw the line also finds the file.
    simulator.markReady();
    std::cout << "ready\n" << std::flush;
    simulator.run(signals);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const Options options = parseOptions(std::vector<std::string_view>(argv + 1, argv + argc));
        if (options.help) {
            std::cout << usageText();
            return 0;
        }
        return simulate(options, makeSetups(options.devices));
    } catch (const UsageError& error) {
        std::cerr << "qelv-modemsim: " << error.what() << '\n' << usageText();
        return kUsageExitCode;
    } catch (const std::exception& error) {
        std::cerr << "qelv-modemsim: " << error.what() << '\n';
        return kFailureExitCode;
    }
}
