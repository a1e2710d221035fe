#include "runmodes.h"

#include "knownidentity.h"
#include "outputtarget.h"
#include "portlist.h"
#include "shutdown.h"

namespace qelv {

int runList(const Options& options) {
    OutputTarget target(options.outputFile);
    if (!target.ready()) return kExitFailure;
    const auto ports = mappedPorts(options.portsDir, options.portTargets);
    KnownIdentities known(ports);
    const auto listed = listPorts(*ports, {}, [&known](int n) { return known.of(n); });
    if (shutdown::requested()) return shutdown::exitCode();
    return target.deliver(options.output == Output::Json ? renderPortListJson(listed)
                                                         : renderPortList(listed).toUtf8());
}

}  // namespace qelv
