#include "runmodes.h"

#include "gridrender.h"
#include "knownidentity.h"
#include "mainform.h"
#include "mdcomm.h"
#include "memorywidgets.h"
#include "metrics/metricsrender.h"
#include "outputtarget.h"
#include "progressline.h"
#include "qteventpump.h"
#include "shutdown.h"
#include "surveyrun.h"
#include "terminalwidth.h"
#include "unitfactory.h"
#include "version.h"

#include <QFileInfo>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <map>

namespace qelv {

namespace {

constexpr int kExitInterrupted = 128 + SIGINT;

struct SurveyRun {
    const MainForm& form;
    const GridCells& cells;
    const PortMap& map;
    // The node each COM number led to when pass 1 opened it.
    const std::map<int, QString>& opened;
    bool complete;
    std::chrono::milliseconds duration;
    int columns;  // how wide the table may be
};

// A device that vanished since pass 1 opened it is shown under the node it opened; the others
// where their entries lead now.
DeviceLookup shownDevices(const SurveyRun& run) {
    return [&run](int n) -> std::optional<QString> {
        const auto now = devicePathFor(run.map, n);
        const auto then = run.opened.find(n);
        if (then != run.opened.end() && (!now || !QFileInfo::exists(*now))) return then->second;
        return now;
    };
}

QByteArray metricsOf(const SurveyRun& run, const DeviceLookup& device) {
    using namespace std::chrono;
    const auto now = duration_cast<milliseconds>(system_clock::now().time_since_epoch());
    return renderMetrics({.cells = run.cells,
                          .device = device,
                          .answerTime =
                              [&run](int n) {
                                  return run.form.exchangeTime(static_cast<std::int16_t>(n),
                                                               survey::kAtCol);
                              },
                          .identity = [&run](int n) { return run.form.identity(n); },
                          .duration = run.duration,
                          .complete = run.complete,
                          .endedAt = now});
}

QByteArray render(Output output, const SurveyRun& run) {
    const DeviceLookup device = shownDevices(run);
    const IdentityLookup identity = [&run](int n) { return run.form.identity(n); };
    switch (output) {
        case Output::Json:
            return renderJson(run.cells, device, run.complete, identity);
        case Output::Metrics:
            return metricsOf(run, device);
        default:
            return renderTable(run.cells, device, run.complete, run.columns, identity).toUtf8();
    }
}

}  // namespace

int runHeadless(const Options& options) {
    OutputTarget target(options.outputFile);
    if (!target.ready()) return kExitFailure;
    const auto ports = mappedPorts(options.portsDir, options.portTargets);
    installUnitFactory(ports);
    const auto known = std::make_shared<KnownIdentities>(ports);
    MemoryForm widgets;
    ProgressLine progress(stderr);
    QtEventPump pump;
    std::map<int, QString> opened;
    // Pass 1 asks for each port's description just before its open: no tooltip here, but the
    // moment to note which node the port leads to.
    const auto noteNode = [&opened, &ports](int n) {
        if (const auto node = devicePathFor(ports->map(), n)) opened[n] = *node;
        return QString();
    };
    MainForm form({widgets.window, widgets.MSFlexGrid1, progress, widgets.Command1},
                  {.pump = pump,
                   .unit = []() -> Mdcomm& { return Mdcomm::instance(); },
                   .describePort = noteNode,
                   .version = version::kNumbers,
                   .parallel = options.parallel,
                   .newPort = portFactory(ports),
                   .identify = options.identify,
                   .knownIdentity = [known](int n) { return known->of(n); }});
    form.Form_Load();
    form.Form_Resize();
    int exitCode = kExitOk;
    const auto started = std::chrono::steady_clock::now();
    try {
        runSurvey(form, *ports, known.get());
    } catch (const ShutdownRequested& request) {
        exitCode = request.exitCode();
        progress.setProgress(0, 0);  // the terminal's progress line goes, as at a normal end
    }
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - started);
    Mdcomm::releaseInstance();
    // Ctrl-C asks for what was found so far; SIGTERM and SIGHUP end quietly, since whoever
    // sent them may no longer be reading. A file is only ever replaced by a whole survey.
    if (exitCode != kExitOk && (exitCode != kExitInterrupted || target.toFile())) return exitCode;
    const int delivered =
        target.deliver(render(options.output, {form, widgets.MSFlexGrid1.cells(), ports->map(),
                                               opened, exitCode == kExitOk, took,
                                               outputColumns(target.toFile() ? nullptr : stdout)}));
    return exitCode != kExitOk ? exitCode : delivered;
}

}  // namespace qelv
