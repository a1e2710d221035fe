#include "parallelbench.h"

#include "mainform.h"
#include "mdcomm.h"
#include "measure.h"
#include "memorywidgets.h"
#include "modemsim/simulatorprocess.h"
#include "portdirectory.h"
#include "qteventpump.h"
#include "qtserialport.h"
#include "surveytexts.h"

#include <QTemporaryDir>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace qelv::bench {

namespace {

constexpr int kPorts = 16;

// A survey as the window runs it, with or without --parallel, on the real clock and event
// loop and in-memory widgets.
struct Survey {
    Survey(const QString& dir, bool parallel)
        : ports(PortDirectory::fixed(PortMap::fromDirectory(dir))),
          port(ports),
          unit(clock, pump, port),
          form(widgets.widgets(), {.pump = pump,
                                   .unit = [this]() -> Mdcomm& { return unit; },
                                   .parallel = parallel,
                                   .newPort = [this]() -> std::unique_ptr<SerialPort> {
                                       return std::make_unique<QtSerialPort>(ports);
                                   }}) {
        form.Form_Load();
        form.Form_Resize();
    }
    int marked(int col) const {
        int n = 0;
        for (int row = 1; row <= kPorts; ++row)
            n += widgets.grid.cells().at(row, col).backColor == survey::kMark ? 1 : 0;
        return n;
    }

    std::shared_ptr<const PortDirectory> ports;
    SystemTickClock clock;
    QtEventPump pump;
    QtSerialPort port;
    Mdcomm unit;
    MemoryForm widgets;
    MainForm form;
};

struct Outcome {
    Usage usage;
    int atMarks = 0;
    int infoMarks = 0;
};

Outcome survey(const QString& dir, bool parallel) {
    Survey run(dir, parallel);
    const Usage usage = measure([&] { run.form.Command1_Click(); });
    return {usage, run.marked(2), run.marked(3)};
}

std::vector<std::string> sixteen(const std::string& profile) {
    std::vector<std::string> devices;
    for (int n = 1; n <= kPorts; ++n) devices.push_back(profile + "@" + std::to_string(n));
    return devices;
}

void note(const char* what) {
    std::fprintf(stderr, "qelv_bench: %s\n", what);
    std::fflush(stderr);
}

void ratio(Report& report, const char* figure, const Outcome& got, double prescribedMs) {
    const double r = got.usage.wallMs / prescribedMs;
    report.add("6", figure, format("%.0f / %.0f ms = %.4f", got.usage.wallMs, prescribedMs, r),
               "1.00 .. 1.03", verdictFor(r >= 1.0 && r <= 1.03));
}

void cpu(Report& report, const char* figure, const Outcome& got) {
    report.add("6", figure,
               format("%.2f %% (%.0f ms CPU in %.0f ms)", got.usage.cpuShare(), got.usage.cpuMs,
                      got.usage.wallMs),
               "< 1 %", verdictFor(got.usage.cpuShare() < 1.0));
}

// Sixteen devices that send without pause, surveyed with --parallel: what the program holds
// at its peak beyond what it held before, against one port's bound times sixteen.
void floodFigures(Report& report) {
    QTemporaryDir dir;
    std::unique_ptr<SimulatorProcess> flood;
    try {
        flood = std::make_unique<SimulatorProcess>(QELV_MODEMSIM_PATH, dir.path().toStdString(),
                                                   sixteen("flood:1048576"), false);
    } catch (const std::exception& error) {
        report.add("6", "16 flooding devices", error.what(), "runs", Verdict::NotRun);
        return;
    }
    note("16 flooding devices, --parallel (6 s)");
    const long before = statusKb("VmRSS");
    const bool peakReset = resetPeakRss();
    const Outcome got = survey(dir.path(), true);
    const long peak = statusKb("VmHWM");
    const double growthMb = (peak - before) / 1024.0;
    // One port holds at most its read buffer and a capped reply in 16-bit characters.
    const double boundMb =
        kPorts * (QtSerialPort::kReadBufferBytes + 2.0 * Mdcomm::kReplyCap) / (1024.0 * 1024.0);
    report.add("6", "16 flooding devices, --parallel: peak RSS growth",
               format("%.1f MB (%.0f ms)", growthMb, got.usage.wallMs),
               format("< %.0f MB", boundMb),
               peakReset && before > 0 ? verdictFor(growthMb < boundMb) : Verdict::NotRun);
}

}  // namespace

void parallelFigures(Report& report) {
    QTemporaryDir silentDir, nolfDir, hayesDir;
    std::unique_ptr<SimulatorProcess> silent, nolf, hayes;
    try {
        silent = std::make_unique<SimulatorProcess>(
            QELV_MODEMSIM_PATH, silentDir.path().toStdString(), sixteen("silent"), false);
        nolf = std::make_unique<SimulatorProcess>(QELV_MODEMSIM_PATH, nolfDir.path().toStdString(),
                                                  sixteen("nolf"), false);
        hayes = std::make_unique<SimulatorProcess>(
            QELV_MODEMSIM_PATH, hayesDir.path().toStdString(), sixteen("hayes"), false);
    } catch (const std::exception& error) {
        report.add("6", "modem simulator, 3 x 16 devices", error.what(), "runs", Verdict::NotRun);
        return;
    }

    note("16 silent ports, one at a time (48 s), then --parallel (3 s)");
    const Outcome silentOne = survey(silentDir.path(), false);
    const Outcome silentAll = survey(silentDir.path(), true);
    report.add("6", "16 silent ports: one at a time / --parallel",
               format("%.0f / %.0f ms = %.1f times faster", silentOne.usage.wallMs,
                      silentAll.usage.wallMs, silentOne.usage.wallMs / silentAll.usage.wallMs),
               "~16 times", Verdict::Info);
    ratio(report, "  --parallel wall / prescribed 1000 + 2000 ms", silentAll, 3000.0);
    cpu(report, "  --parallel: CPU of one core", silentAll);

    note("16 ports answering OK without its line end, --parallel (6 s)");
    const Outcome nolfAll = survey(nolfDir.path(), true);
    ratio(report, "16 \"OK\" without CR LF, --parallel wall / prescribed 2 x 3000 ms", nolfAll,
          6000.0);
    report.add("6", "  marks (AT, info)", format("%d, %d", nolfAll.atMarks, nolfAll.infoMarks),
               "16, 16", verdictFor(nolfAll.atMarks == kPorts && nolfAll.infoMarks == kPorts));

    note("16 Hayes modems, one at a time (about 32 s), then --parallel");
    const Outcome hayesOne = survey(hayesDir.path(), false);
    const Outcome hayesAll = survey(hayesDir.path(), true);
    report.add("6", "16 Hayes modems: one at a time / --parallel",
               format("%.0f / %.0f ms = %.1f times faster", hayesOne.usage.wallMs,
                      hayesAll.usage.wallMs, hayesOne.usage.wallMs / hayesAll.usage.wallMs),
               "~16 times", Verdict::Info);
    // Each pass: the settling wait, then the slowest of sixteen answers.
    report.add("6", "  --parallel wall beyond the 2 x 1000 ms settling",
               format("%.0f ms for 2 x 16 answers", hayesAll.usage.wallMs - 2000.0), "none set",
               Verdict::Info);
    cpu(report, "  --parallel: CPU of one core", hayesAll);
    floodFigures(report);
    report.add(
        "6", "  same grid both ways (info marks)",
        format("%d one at a time, %d --parallel", hayesOne.infoMarks, hayesAll.infoMarks),
        "equal, 16",
        verdictFor(hayesOne.infoMarks == hayesAll.infoMarks && hayesAll.infoMarks == kPorts));
}

}  // namespace qelv::bench
