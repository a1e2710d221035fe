#include "runmodes.h"

#include "knownidentity.h"
#include "portlist.h"

#include <cstdio>

namespace qelv {

int runList(const Options& options) {
    const auto ports = PortDirectory::fromOptionOrEnvironment(options.portsDir);
    KnownIdentities known(ports);
    const auto listed = listPorts(*ports, {}, [&known](int n) { return known.of(n); });
    const QByteArray out = options.output == Output::Json ? renderPortListJson(listed)
                                                          : renderPortList(listed).toUtf8();
    std::fwrite(out.constData(), 1, static_cast<std::size_t>(out.size()), stdout);
    std::fflush(stdout);
    return kExitOk;
}

}  // namespace qelv
