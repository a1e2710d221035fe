#include "runmodes.h"

#include "gridrender.h"
#include "mainform.h"
#include "mdcomm.h"
#include "progressline.h"
#include "memorywidgets.h"
#include "qteventpump.h"
#include "shutdown.h"
#include "unitfactory.h"
#include "version.h"

#include <cstdio>

namespace qelv {

int runHeadless(const Options& options) {
    const PortMap map = PortMap::fromOptionOrEnvironment(options.portsDir);
    installUnitFactory(map);
    MemoryForm widgets;
    ProgressLine progress(stderr);
    QtEventPump pump;
    MainForm form({widgets.window, widgets.grid, progress, widgets.button},
                  {.pump = pump,
                   .unit = []() -> Mdcomm& { return Mdcomm::instance(); },
                   .describePort = {},
                   .endProgram = {},
                   .version = version::kNumbers,
                   .parallel = options.parallel,
                   .newPort = portFactory(map)});
    form.Form_Load();
    form.Form_Resize();
    try {
        form.Command1_Click();
    } catch (const ShutdownRequested& request) {
        Mdcomm::releaseInstance();
        return request.exitCode();
    }
    Mdcomm::releaseInstance();
    const QByteArray out =
        options.mode == RunMode::Json
            ? renderJson(widgets.grid.cells(), [&map](int n) { return devicePathFor(map, n); })
            : renderTable(widgets.grid.cells()).toUtf8();
    std::fwrite(out.constData(), 1, static_cast<std::size_t>(out.size()), stdout);
    std::fflush(stdout);
    return kExitOk;
}

}  // namespace qelv
