#include "runmodes.h"

#include "gridrender.h"
#include "mainform.h"
#include "mdcomm.h"
#include "memorywidgets.h"
#include "progressline.h"
#include "qteventpump.h"
#include "shutdown.h"
#include "surveyrun.h"
#include "terminalwidth.h"
#include "unitfactory.h"
#include "version.h"

#include <csignal>
#include <cstdio>

namespace qelv {

namespace {

constexpr int kExitInterrupted = 128 + SIGINT;

void printGrid(Output output, const GridCells& cells, const PortMap& map, bool complete) {
    const DeviceLookup device = [&map](int n) { return devicePathFor(map, n); };
    const QByteArray out =
        output == Output::Json
            ? renderJson(cells, device, complete)
            : renderTable(cells, device, complete, outputColumns(stdout)).toUtf8();
    std::fwrite(out.constData(), 1, static_cast<std::size_t>(out.size()), stdout);
    std::fflush(stdout);
}

}  // namespace

int runHeadless(const Options& options) {
    const auto ports = PortDirectory::fromOptionOrEnvironment(options.portsDir);
    installUnitFactory(ports);
    MemoryForm widgets;
    ProgressLine progress(stderr);
    QtEventPump pump;
    MainForm form({widgets.window, widgets.MSFlexGrid1, progress, widgets.Command1},
                  {.pump = pump,
                   .unit = []() -> Mdcomm& { return Mdcomm::instance(); },
                   .version = version::kNumbers,
                   .parallel = options.parallel,
                   .newPort = portFactory(ports)});
    form.Form_Load();
    form.Form_Resize();
    int exitCode = kExitOk;
    try {
        runSurvey(form, *ports);
    } catch (const ShutdownRequested& request) {
        exitCode = request.exitCode();
        progress.setProgress(0, 0);  // the terminal's progress line goes, as at a normal end
    }
    Mdcomm::releaseInstance();
    // Ctrl-C asks for what was found so far; SIGTERM and SIGHUP end quietly, since whoever
    // sent them may no longer be reading.
    if (exitCode != kExitOk && exitCode != kExitInterrupted) return exitCode;
    printGrid(options.output, widgets.MSFlexGrid1.cells(), ports->map(), exitCode == kExitOk);
    return exitCode;
}

}  // namespace qelv
