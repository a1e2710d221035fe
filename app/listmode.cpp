#include "runmodes.h"

#include "portlist.h"

#include <cstdio>

namespace qelv {

int runList(const Options& options) {
    const auto ports = mappedPorts(options.portsDir, options.portTargets);
    const auto listed = listPorts(*ports);
    const QByteArray out = options.output == Output::Json ? renderPortListJson(listed)
                                                          : renderPortList(listed).toUtf8();
    std::fwrite(out.constData(), 1, static_cast<std::size_t>(out.size()), stdout);
    std::fflush(stdout);
    return kExitOk;
}

}  // namespace qelv
