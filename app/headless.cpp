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

#include <QFileInfo>

#include <csignal>
#include <cstdio>
#include <map>

namespace qelv {

namespace {

constexpr int kExitInterrupted = 128 + SIGINT;

// `opened`: the node each COM number led to when pass 1 opened it, for a device that has
// vanished since; the others are shown where their entries lead now.
void printGrid(Output output, const GridCells& cells, const PortMap& map, bool complete,
               const std::map<int, QString>& opened) {
    const DeviceLookup device = [&](int n) -> std::optional<QString> {
        const auto now = devicePathFor(map, n);
        const auto then = opened.find(n);
        if (then != opened.end() && (!now || !QFileInfo::exists(*now))) return then->second;
        return now;
    };
    const QByteArray out = output == Output::Json ? renderJson(cells, device, complete)
                                                  : renderTable(cells, device, complete).toUtf8();
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
    printGrid(options.output, widgets.MSFlexGrid1.cells(), ports->map(), exitCode == kExitOk,
              opened);
    return exitCode;
}

}  // namespace qelv
