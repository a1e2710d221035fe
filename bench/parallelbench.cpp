#include "parallelbench.h"

#include "benchsurvey.h"
#include "drivenpty.h"
#include "mainform.h"
#include "mdcomm.h"
#include "measure.h"
#include "memorywidgets.h"
#include "modemsim/simulatorprocess.h"
#include "portdirectory.h"
#include "qteventpump.h"
#include "qtserialport.h"
#include "surveytexts.h"

#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace qelv::bench {

namespace {

constexpr int kPorts = 16;

struct Outcome {
    Usage usage;
    int atMarks = 0;
    int infoMarks = 0;
};

Outcome survey(const QString& dir, bool parallel) {
    BenchSurvey run(dir, parallel);
    const Usage usage = measure([&] { run.form.Command1_Click(); });
    return {usage, run.marked(survey::kAtCol), run.marked(survey::kInfoCol)};
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

void speedup(Report& report, const char* figure, const Outcome& one, const Outcome& all) {
    report.add("6", figure,
               format("%.0f / %.0f ms = %.1f times faster", one.usage.wallMs, all.usage.wallMs,
                      one.usage.wallMs / all.usage.wallMs),
               "~16 times", Verdict::Info);
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

// Peak resident growth, in MB, while `dir` is surveyed with --parallel.
double peakGrowthMb(const QString& dir, bool& measured) {
    const long before = statusKb("VmRSS");
    measured = resetPeakRss() && before > 0;
    survey(dir, true);
    return (statusKb("VmHWM") - before) / 1024.0;
}

// Devices that send without pause, surveyed with --parallel: one of them alone, then
// sixteen. Sixteen may cost what one does sixteen times, no more.
void floodFigures(Report& report) {
    QTemporaryDir dir, oneDir;
    std::unique_ptr<SimulatorProcess> flood;
    try {
        flood = std::make_unique<SimulatorProcess>(QELV_MODEMSIM_PATH, dir.path().toStdString(),
                                                   sixteen("flood:1048576"), false);
    } catch (const std::exception& error) {
        report.add("6", "16 flooding devices", error.what(), "runs", Verdict::NotRun);
        return;
    }
    QFile::link(QString::fromStdString(flood->devicePath(1)),
                oneDir.filePath(QStringLiteral("com1")));
    note("1, then 16 flooding devices, --parallel (2 x 6 s)");
    bool oneMeasured = false, allMeasured = false;
    const double one = peakGrowthMb(oneDir.path(), oneMeasured);
    const double all = peakGrowthMb(dir.path(), allMeasured);
    // The single port's goal is 16 MB; sixteen ports may cost that sixteen times.
    constexpr double kPortGoalMb = 16.0;
    const bool measured = oneMeasured && allMeasured && one > 0;
    report.add("6", "flooding devices, --parallel: peak RSS growth, 16 / 1",
               format("%.1f / %.1f MB = %.1f", all, one, measured ? all / one : 0.0), "info",
               measured ? Verdict::Info : Verdict::NotRun);
    report.add("6", "  16 flooding devices against 16 x the one-port goal", format("%.1f MB", all),
               format("< %.0f MB", kPorts * kPortGoalMb),
               measured ? verdictFor(all < kPorts * kPortGoalMb) : Verdict::NotRun);
}

// A grid that notes when each port's AT result is written.
struct TimedGrid final : MemoryGrid {
    void setText(const QString& text) override {
        MemoryGrid::setText(text);
        if (col() == survey::kAtCol && row() >= survey::kFirstPort) written[row()] = monotonicMs();
    }
    std::map<int, double> written;
};

// Sixteen devices played by the bench that answer at the same moment: from each answer's
// write onto the line to its port's result in the grid, with --parallel.
void resultDelayFigures(Report& report) {
    std::vector<std::unique_ptr<DrivenPty>> devices;
    QTemporaryDir dir;
    for (int n = 1; n <= kPorts; ++n) {
        devices.push_back(std::make_unique<DrivenPty>());
        QFile::link(devices.back()->slavePath(), dir.filePath(QStringLiteral("com%1").arg(n)));
        devices.back()->startAnswering("\r\nOK\r\n", std::chrono::milliseconds(300));
    }
    note("16 devices answering at once, --parallel: stop text -> result (3 s)");
    TimedGrid grid;
    BenchSurvey run(dir.path(), true, &grid);
    run.form.Command1_Click();
    std::vector<double> delays;
    for (int n = 1; n <= kPorts; ++n) {
        const std::vector<double> answers = devices[n - 1]->answerTimes();
        devices[n - 1]->stopAnswering();
        if (!answers.empty() && grid.written.count(n))
            delays.push_back(grid.written[n] - answers[0]);
    }
    std::sort(delays.begin(), delays.end());
    const bool all = delays.size() == static_cast<std::size_t>(kPorts);
    const double median = all ? (delays[7] + delays[8]) / 2 : -1;
    report.add("6", "16 answering at once, --parallel: stop text -> result in the grid",
               all ? format("median %.3f ms, max %.3f ms", median, delays.back())
                   : format("%zu of 16 answered", delays.size()),
               "median < 1 ms", all ? verdictFor(median < 1.0) : Verdict::NotRun);
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
    speedup(report, "16 silent ports: one at a time / --parallel", silentOne, silentAll);
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
    speedup(report, "16 Hayes modems: one at a time / --parallel", hayesOne, hayesAll);
    // Each pass: the settling wait, then the slowest of sixteen answers.
    report.add("6", "  --parallel wall beyond the 2 x 1000 ms settling",
               format("%.0f ms for 2 x 16 answers", hayesAll.usage.wallMs - 2000.0), "none set",
               Verdict::Info);
    cpu(report, "  --parallel: CPU of one core", hayesAll);
    resultDelayFigures(report);
    floodFigures(report);
    report.add(
        "6", "  same grid both ways (info marks)",
        format("%d one at a time, %d --parallel", hayesOne.infoMarks, hayesAll.infoMarks),
        "equal, 16",
        verdictFor(hayesOne.infoMarks == hayesAll.infoMarks && hayesAll.infoMarks == kPorts));
}

}  // namespace qelv::bench
