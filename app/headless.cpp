#include "runmodes.h"

#include "gridrender.h"
#include "knownidentity.h"
#include "mainform.h"
#include "mdcomm.h"
#include "memorywidgets.h"
#include "progressline.h"
#include "qteventpump.h"
#include "shutdown.h"
#include "surveyrun.h"
#include "unitfactory.h"
#include "version.h"

#include <csignal>
#include <cstdio>

namespace qelv {

namespace {

constexpr int kExitInterrupted = 128 + SIGINT;

void printGrid(Output output, const MainForm& form, const GridCells& cells, const PortMap& map,
               bool complete) {
    const DeviceLookup device = [&map](int n) { return devicePathFor(map, n); };
    const IdentityLookup identity = [&form](int n) { return form.identity(n); };
    const QByteArray out = output == Output::Json
                               ? renderJson(cells, device, complete, identity)
                               : renderTable(cells, device, complete, identity).toUtf8();
    std::fwrite(out.constData(), 1, static_cast<std::size_t>(out.size()), stdout);
    std::fflush(stdout);
}

}  // namespace

int runHeadless(const Options& options) {
    const auto ports = PortDirectory::fromOptionOrEnvironment(options.portsDir);
    installUnitFactory(ports);
    const auto known = std::make_shared<KnownIdentities>(ports);
    MemoryForm widgets;
    ProgressLine progress(stderr);
    QtEventPump pump;
    MainForm form({widgets.window, widgets.MSFlexGrid1, progress, widgets.Command1},
                  {.pump = pump,
                   .unit = []() -> Mdcomm& { return Mdcomm::instance(); },
                   .version = version::kNumbers,
                   .parallel = options.parallel,
                   .newPort = portFactory(ports),
                   .identify = options.identify,
                   .knownIdentity = [known](int n) { return known->of(n); }});
    form.Form_Load();
    form.Form_Resize();
    int exitCode = kExitOk;
    try {
        runSurvey(form, *ports, known.get());
    } catch (const ShutdownRequested& request) {
        exitCode = request.exitCode();
        progress.setProgress(0, 0);  // the terminal's progress line goes, as at a normal end
    }
    Mdcomm::releaseInstance();
    // Ctrl-C asks for what was found so far; SIGTERM and SIGHUP end quietly, since whoever
    // sent them may no longer be reading.
    if (exitCode != kExitOk && exitCode != kExitInterrupted) return exitCode;
    printGrid(options.output, form, widgets.MSFlexGrid1.cells(), ports->map(), exitCode == kExitOk);
    return exitCode;
}

}  // namespace qelv
