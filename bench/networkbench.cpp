#include "networkbench.h"

#include "benchsurvey.h"
#include "drivenpty.h"
#include "measure.h"
#include "modemsim/simulatorprocess.h"
#include "oldloops.h"
#include "probes.h"
#include "ser2net/ser2netprocess.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace qelv::bench {

namespace {

constexpr int kPorts = 16;
constexpr int kSurveyRounds = 3;
constexpr int kExchanges = 50;

void note(const char* what) {
    std::fprintf(stderr, "qelv_bench: %s\n", what);
    std::fflush(stderr);
}

double medianOf(std::vector<double> values) {
    if (values.empty()) return -1;
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

void link(const QString& dir, int n, const QString& target) {
    QFile::link(target, QDir(dir).filePath(QStringLiteral("com%1").arg(n)));
}

struct Walls {
    std::vector<double> ms;
    int infoMarks = kPorts;  // the fewest of any round
};

void surveyOnce(const QString& dir, Walls& walls) {
    BenchSurvey run(dir, true);
    walls.ms.push_back(measure([&] { run.form.Command1_Click(); }).wallMs);
    walls.infoMarks = std::min(walls.infoMarks, run.marked(survey::kInfoCol));
}

// Sixteen Hayes modems on local pseudo-terminals and sixteen more, each behind a ser2net of
// its own (a device ser2net has just let go of may still look held to a local open); surveyed
// locally and over RFC 2217 in turns, so that whatever else the machine does falls on both
// alike.
void surveyFigures(Report& report) {
    QTemporaryDir simDir, networkSimDir, networkDir;
    std::unique_ptr<SimulatorProcess> sim, networkSim;
    std::vector<std::unique_ptr<Ser2netProcess>> servers;
    try {
        std::vector<std::string> profiles;
        for (int n = 1; n <= kPorts; ++n) profiles.push_back("hayes@" + std::to_string(n));
        sim = std::make_unique<SimulatorProcess>(QELV_MODEMSIM_PATH, simDir.path().toStdString(),
                                                 profiles, false);
        networkSim = std::make_unique<SimulatorProcess>(
            QELV_MODEMSIM_PATH, networkSimDir.path().toStdString(), profiles, false);
        for (int n = 1; n <= kPorts; ++n) {
            servers.push_back(std::make_unique<Ser2netProcess>(
                Ser2netProcess::Config{.device = networkSim->devicePath(n)}));
            link(networkDir.path(), n, QString::fromStdString(servers.back()->url()));
        }
    } catch (const std::exception& error) {
        report.add("7", "16 modems over RFC 2217 (ser2net)", error.what(), "runs", Verdict::NotRun);
        return;
    }
    note("16 Hayes modems, --parallel: local and over RFC 2217 in turns (3 x 2 surveys)");
    Walls local, network;
    for (int round = 0; round < kSurveyRounds; ++round) {
        surveyOnce(simDir.path(), local);
        surveyOnce(networkDir.path(), network);
    }
    const QString device = QString::fromStdString(sim->devicePath(1));
    std::vector<double> at, info;
    for (int i = 0; i < 5; ++i) {
        at.push_back(rawReplyMs(device, "ATE0Q0V1\r\n", "OK\r\n"));
        info.push_back(rawReplyMs(device, "ATI4I2I0\r\n", "OK\r\n"));
    }
    servers.clear();
    const double prescribed = 2 * 1000.0 + medianOf(at) + medianOf(info);
    const double localMs = medianOf(local.ms), networkMs = medianOf(network.ms);
    const bool complete = local.infoMarks == kPorts && network.infoMarks == kPorts;
    report.add("7", "16 modems, --parallel, RFC 2217 / local pseudo-terminals",
               format("%.0f / %.0f ms = %.3f", networkMs, localMs, networkMs / localMs), "<= 1.05",
               complete ? verdictFor(networkMs / localMs <= 1.05) : Verdict::NotRun);
    report.add("7", "  RFC 2217 wall / prescribed 2 x 1000 ms + answers",
               format("%.0f / %.0f ms = %.3f", networkMs, prescribed, networkMs / prescribed),
               "info", Verdict::Info);
    report.add("7", "  local wall / prescribed 2 x 1000 ms + answers",
               format("%.0f / %.0f ms = %.3f", localMs, prescribed, localMs / prescribed), "info",
               Verdict::Info);
    report.add("7", "  info marks (fewest of any round): local, RFC 2217",
               format("%d, %d", local.infoMarks, network.infoMarks), "16, 16",
               verdictFor(complete));
    report.note(
        format("7 medians of %d surveys each, taken in turns; answers read straight off "
               "one device: ATE0Q0V1 %.2f ms, ATI4I2I0 %.2f ms.",
               kSurveyRounds, medianOf(at), medianOf(info)));
}

// From each answer's write onto the device's line to SendModem returning, over `port`.
std::vector<double> exchangeDelays(DrivenPty& line, const QString& portsDir, int& missed) {
    SystemTickClock clock;
    QtEventPump pump;
    QtSerialPort port(PortMap::fromDirectory(portsDir));
    openForSurvey(port, 1);
    Mdcomm unit(clock, pump, port);
    line.startAnswering("\r\nOK\r\n", std::chrono::milliseconds(15));
    std::vector<double> returns;
    for (int i = 0; i < kExchanges; ++i) {
        const QString reply = unit.SendModem(QStringLiteral("AT"), 2000, QStringLiteral("OK"));
        returns.push_back(monotonicMs());
        if (!reply.endsWith(QStringLiteral("OK\r\n"))) ++missed;
    }
    line.stopAnswering();
    port.setPortOpen(false);
    const std::vector<double> written = line.answerTimes();
    std::vector<double> delays;
    for (std::size_t i = 0; i < returns.size() && i < written.size(); ++i)
        delays.push_back(returns[i] - written[i]);
    return delays;
}

// One device played by the bench, reached locally, through ser2net passing its bytes on at
// once, and through ser2net as it comes (holding them two characters' time to fill packets).
void exchangeFigures(Report& report) {
    DrivenPty line;
    QTemporaryDir localDir, promptDir, defaultDir;
    link(localDir.path(), 1, line.slavePath());
    std::unique_ptr<Ser2netProcess> prompt, usual;
    try {
        prompt = std::make_unique<Ser2netProcess>(
            Ser2netProcess::Config{.device = line.slavePath().toStdString(), .charDelay = false});
        usual = std::make_unique<Ser2netProcess>(
            Ser2netProcess::Config{.device = line.slavePath().toStdString()});
    } catch (const std::exception& error) {
        report.add("7", "one exchange over RFC 2217 (ser2net)", error.what(), "runs",
                   Verdict::NotRun);
        return;
    }
    link(promptDir.path(), 1, QString::fromStdString(prompt->url()));
    link(defaultDir.path(), 1, QString::fromStdString(usual->url()));
    note("one exchange, 50 times each: local, RFC 2217, RFC 2217 with ser2net's chardelay");
    int missed = 0;
    const double local = medianOf(exchangeDelays(line, localDir.path(), missed));
    const double network = medianOf(exchangeDelays(line, promptDir.path(), missed));
    const double delayed = medianOf(exchangeDelays(line, defaultDir.path(), missed));
    const Verdict measured = missed ? Verdict::NotRun : Verdict::Info;
    report.add("7", "stop text -> SendModem returns, RFC 2217 minus local (medians)",
               format("%.3f - %.3f = %.3f ms", network, local, network - local), "<= 1 ms",
               missed ? Verdict::NotRun : verdictFor(network - local <= 1.0));
    report.add("7", "  same, ser2net's default chardelay (not ours)",
               format("%.3f ms (+%.3f)", delayed, delayed - local), "info", measured);
    if (missed) report.note(format("7 exchanges: %d of %d timed out", missed, 3 * kExchanges));
}

}  // namespace

void networkFigures(Report& report) {
    surveyFigures(report);
    exchangeFigures(report);
}

}  // namespace qelv::bench
