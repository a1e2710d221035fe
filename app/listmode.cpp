#include "runmodes.h"

#include "outputtarget.h"
#include "portlist.h"
#include "shutdown.h"

namespace qelv {

int runList(const Options& options) {
    OutputTarget target(options.outputFile);
    if (!target.ready()) return kExitFailure;
    const auto ports = mappedPorts(options.portsDir, options.portTargets);
    const auto listed = listPorts(*ports);
    if (shutdown::requested()) return shutdown::exitCode();
    return target.deliver(options.output == Output::Json ? renderPortListJson(listed)
                                                         : renderPortList(listed).toUtf8());
}

}  // namespace qelv
