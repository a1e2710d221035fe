#include "floodsurvey.h"

#include "benchsurvey.h"

#include "mainform.h"
#include "mdcomm.h"
#include "measure.h"
#include "memorywidgets.h"
#include "probes.h"
#include "qteventpump.h"
#include "qtserialport.h"
#include "shutdown.h"
#include "surveytexts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <cstdio>

namespace qelv::bench {

namespace {

// Milliseconds from a request to end, made 500 ms into a survey (inside its first settling
// wait), to the survey having let go of the port; negative when the survey did not end so.
double msToReleaseOnRequest(BenchSurvey& run) {
    double requested = 0;
    QTimer::singleShot(500, [&requested] {
        requested = monotonicMs();
        shutdown::request(0);
    });
    try {
        run.form.Command1_Click();
    } catch (const ShutdownRequested&) {
        const double released = monotonicMs();
        shutdown::reset();
        return run.port.portOpen() ? -1 : released - requested;
    }
    shutdown::reset();
    return -1;
}

std::unique_ptr<QProcess> startUrandomDevice(const QString& link) {
    auto socat = std::make_unique<QProcess>();
    socat->start(QStringLiteral("socat"),
                 {QStringLiteral("-u"), QStringLiteral("OPEN:/dev/urandom"),
                  QStringLiteral("PTY,raw,echo=0,link=") + link});
    if (!socat->waitForStarted(5000)) return nullptr;
    for (int i = 0; i < 250 && !QFileInfo::exists(link); ++i) QThread::msleep(20);
    if (!QFileInfo::exists(link)) return nullptr;
    return socat;
}

void stopDevice(QProcess& socat) {
    socat.terminate();
    if (!socat.waitForFinished(3000)) socat.kill();
}

}  // namespace

int runUrandomProbe(const QStringList& args, int argc, char** argv) {
    if (args.size() != 2) return 2;
    QCoreApplication app(argc, argv);
    BenchSurvey run(args[1]);
    if (args[0] != QLatin1String("bounded")) run.port.setReadBufferLimit(0);
    const bool reset = resetPeakRss();
    const long rssBefore = statusKb("VmRSS");
    const long peakBefore = statusKb("VmHWM");
    const Usage usage = measure([&] { run.form.Command1_Click(); });
    const long peakAfter = statusKb("VmHWM");
    const bool answered = run.widgets.MSFlexGrid1.cells().at(1, 1).backColor == survey::kMark;
    const double releaseMs = msToReleaseOnRequest(run);
    const long growth = peakAfter - (reset ? rssBefore : peakBefore);
    std::printf("urandom-probe growth_kb=%ld wall_ms=%.1f opened=%d release_ms=%.1f reset=%d\n",
                growth, usage.wallMs, answered ? 1 : 0, releaseMs, reset ? 1 : 0);
    return 0;
}

void floodSurveyFigures(Report& report) {
    if (QStandardPaths::findExecutable(QStringLiteral("socat")).isEmpty()) {
        report.add("5", "survey of a /dev/urandom device", "socat missing", "< 16 MB",
                   Verdict::NotRun);
        return;
    }
    QTemporaryDir dir;
    auto socat = startUrandomDevice(QDir(dir.path()).filePath(QStringLiteral("com1")));
    if (!socat) {
        report.add("5", "survey of a /dev/urandom device", "socat did not start", "< 16 MB",
                   Verdict::NotRun);
        return;
    }
    const auto probe = [&](const char* variant) {
        std::fprintf(stderr, "qelv_bench: survey of a /dev/urandom device, %s (7 s)\n", variant);
        QString why;
        auto values =
            runChild({QStringLiteral("--urandom-probe"), QLatin1String(variant), dir.path()}, {},
                     QStringLiteral("offscreen"), 60000, &why);
        if (!values) report.note(std::string("5  ") + variant + ": " + why.toStdString());
        return values;
    };
    const auto bounded = probe("bounded");
    const auto unbounded = probe("unbounded");
    stopDevice(*socat);
    if (!bounded) {
        report.add("5", "survey of a /dev/urandom device", "could not run", "< 16 MB",
                   Verdict::NotRun);
        return;
    }
    const auto& b = *bounded;
    const double growthMb = b.at(QStringLiteral("growth_kb")) / 1024.0;
    report.add("5", "survey of a /dev/urandom device: peak RSS growth",
               format("%.1f MB in %.0f ms", growthMb, b.at(QStringLiteral("wall_ms"))), "< 16 MB",
               b.at(QStringLiteral("opened")) == 1 ? verdictFor(growthMb < 16) : Verdict::NotRun);
    if (unbounded)
        report.add("5", "  same survey, port buffer unbounded (before)",
                   format("%.1f MB in %.0f ms", unbounded->at(QStringLiteral("growth_kb")) / 1024.0,
                          unbounded->at(QStringLiteral("wall_ms"))),
                   "(yardstick)", Verdict::Info);
    const double release = b.at(QStringLiteral("release_ms"));
    report.add("5", "  asked to end mid-survey -> port released",
               release < 0 ? std::string("did not end") : format("%.1f ms", release), "< 100 ms",
               release < 0 ? Verdict::NotRun : verdictFor(release < 100));
    if (unbounded)
        report.note(
            format("5  before: asked to end mid-survey -> port released in %.1f ms; peak "
                   "reset per run: %s.",
                   unbounded->at(QStringLiteral("release_ms")),
                   b.at(QStringLiteral("reset")) == 1 ? "yes" : "no"));
}

}  // namespace qelv::bench
