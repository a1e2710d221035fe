#include "identifybench.h"

#include "benchsurvey.h"
#include "identityquestions.h"
#include "measure.h"
#include "memorywidgets.h"
#include "modemsim/simulatorprocess.h"
#include "surveytexts.h"

#include <QTemporaryDir>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace qelv::bench {

namespace {

constexpr int kReplyDelayMs = 100;  // how late the bench's slow modems answer each line

// Notes when the identification step shows its status and when it clears it.
struct TimedStatusBar final : MemoryStatusBar {
    void setSimpleText(const QString& text) override {
        MemoryStatusBar::setSimpleText(text);
        if (text == survey::kIdentifyStatus) began = monotonicMs();
        if (text.isEmpty() && began > 0 && ended == 0) ended = monotonicMs();
    }
    double began = 0;
    double ended = 0;
};

std::unique_ptr<SimulatorProcess> bench(const QTemporaryDir& dir,
                                        const std::vector<std::string>& devices) {
    std::vector<std::string> profiles;
    for (std::size_t i = 0; i < devices.size(); ++i)
        profiles.push_back(devices[i] + "@" + std::to_string(i + 1));
    return std::make_unique<SimulatorProcess>(QELV_MODEMSIM_PATH, dir.path().toStdString(),
                                              profiles, false);
}

int named(const BenchSurvey& run) {
    int count = 0;
    for (int n = survey::kFirstPort; n <= survey::kLastPort; ++n)
        count += run.form.identity(n).model.known() || run.form.identity(n).revision.known();
    return count;
}

void note(const char* what) {
    std::fprintf(stderr, "qelv_bench: %s\n", what);
    std::fflush(stderr);
}

void parallelStep(Report& report) {
    const std::vector<std::string> mixed = {
        "quectel-ec25", "simcom-sim7600", "ublox-sara-r4", "simcom-sim800",
        "esp-at",       "usr-56k",        "hayes",         "silent",
        "error",        "noisy",          "lowerok",       "quectel-ec25",
        "esp-at",       "simcom-sim7600", "usr-56k",       "silent"};
    QTemporaryDir dir;
    const auto sim = bench(dir, mixed);
    note("16 mixed devices, --parallel, then --parallel --identify (about 16 s)");
    BenchSurvey plain(dir.path(), true);
    const Usage without = measure([&] { plain.form.Command1_Click(); });
    BenchSurvey asked(dir.path(), true, nullptr, true);
    const Usage with = measure([&] { asked.form.Command1_Click(); });
    const double extra = with.wallMs - without.wallMs;
    report.add("7", "16 mixed devices: --parallel --identify minus --parallel",
               format("%.0f - %.0f = %.0f ms", with.wallMs, without.wallMs, extra), "<= 2000 ms",
               verdictFor(extra <= 2000.0));
    // Silent, noisy, lower-case and information-refusing devices name nothing: 11 of 16 do.
    report.add("7", "  devices named (model or revision known)", format("%d of 16", named(asked)),
               "11", verdictFor(named(asked) == 11));
}

// The step one port at a time: each port's settling wait, its answers as late as its device
// gives them, and the limits of the questions that got no final result code.
void sequentialStep(Report& report) {
    using Q = IdentityQuestions;
    const std::vector<std::string> devices = {
        "late:100", "late:100", "late:100",     "late:100",     "nolf",  "nolf",
        "silent",   "silent",   "quectel-ec25", "quectel-ec25", "esp-at"};
    // late answers every question "OK" after its delay; nolf's "OK"
    // lacks its line end, so two questions run to their limits; silent is searched at five
    // speeds; the others answer at once.
    const double settle = MainForm::kIdentifySettleMs;
    // A bare OK names nothing but answers: +CGMI, +CGMM, +CGMR, +CGSN (no V.250 twin after an
    // answer), then ATI and ATI3.
    constexpr int kLateQuestions = 6;
    const double prescribed = 4 * (settle + kLateQuestions * kReplyDelayMs) +
                              2 * (settle + Q::kSilentInARow * Q::kCommandWaitMs) +
                              2 * (settle + Q::kSearchSpeeds.size() * Q::kProbeWaitMs) + 3 * settle;
    QTemporaryDir dir;
    const auto sim = bench(dir, devices);
    note("11 devices one at a time with --identify (about 45 s)");
    TimedStatusBar status;
    BenchSurvey run(dir.path(), false, nullptr, true, &status);
    run.form.Command1_Click();
    const double step = status.ended - status.began;
    const double ratio = step / prescribed;
    report.add("7", "one at a time: identification step / its devices' time and limits",
               format("%.0f / %.0f ms = %.3f", step, prescribed, ratio), "1.00 .. 1.05",
               verdictFor(ratio >= 1.0 && ratio <= 1.05));
}

}  // namespace

void identifyFigures(Report& report) {
    try {
        parallelStep(report);
        sequentialStep(report);
    } catch (const std::exception& error) {
        report.add("7", "identification on the modem simulator", error.what(), "runs",
                   Verdict::NotRun);
    }
}

}  // namespace qelv::bench
