#include "runmodes.h"

#include "gridrender.h"
#include "mainform.h"
#include "mdcomm.h"
#include "memorywidgets.h"
#include "progressline.h"
#include "qteventpump.h"
#include "shutdown.h"
#include "surveyrun.h"
#include "unitfactory.h"
#include "version.h"

#include <cstdio>

namespace qelv {

int runHeadless(const Options& options) {
    const auto ports = PortDirectory::fromOptionOrEnvironment(options.portsDir);
    installUnitFactory(ports);
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
                   .newPort = portFactory(ports)});
    form.Form_Load();
    form.Form_Resize();
    try {
        runSurvey(form, *ports);
    } catch (const ShutdownRequested& request) {
        Mdcomm::releaseInstance();
        return request.exitCode();
    }
    Mdcomm::releaseInstance();
    const QByteArray out =
        options.output == Output::Json
            ? renderJson(widgets.grid.cells(),
                         [&ports](int n) { return devicePathFor(ports->map(), n); })
            : renderTable(widgets.grid.cells()).toUtf8();
    std::fwrite(out.constData(), 1, static_cast<std::size_t>(out.size()), stdout);
    std::fflush(stdout);
    return kExitOk;
}

}  // namespace qelv
