#include "windowflood.h"

#include "benchsurvey.h"
#include "gridview.h"
#include "mainform.h"
#include "mdcomm.h"
#include "measure.h"
#include "modemsim/simulatorprocess.h"
#include "probes.h"
#include "qteventpump.h"
#include "qtmainwindow.h"
#include "qtserialport.h"
#include "surveytexts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHelpEvent>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolTip>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace qelv::bench {

namespace {

constexpr int kFloodPort = 3;
constexpr int kRounds = 10;

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double maxOf(const std::vector<double>& values) {
    return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

// The largest text the grid holds in its AT columns.
qsizetype largestCell(const GridCells& cells) {
    qsizetype largest = 0;
    for (int row = 1; row < cells.rows(); ++row)
        for (int col = survey::kAtCol; col <= survey::kInfoCol; ++col)
            largest = std::max(largest, cells.at(row, col).text.size());
    return largest;
}

// Tells `onPaint` of each paint of one widget.
class PaintSpy final : public QObject {
public:
    explicit PaintSpy(QWidget* widget) { widget->installEventFilter(this); }
    std::function<void()> onPaint;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && onPaint) onPaint();
        return false;
    }
};

// The median and the largest wall time, and the median CPU time, of `rounds` runs of `work`.
struct Spread {
    double medianMs = 0;
    double maxMs = 0;
    double medianCpuMs = 0;
};

Spread timed(int rounds, const std::function<void(int round)>& work) {
    std::vector<double> wall, cpu;
    for (int i = 0; i < rounds; ++i) {
        const Usage usage = measure([&] { work(i); });
        wall.push_back(usage.wallMs);
        cpu.push_back(usage.cpuMs);
    }
    return {median(wall), maxOf(wall), median(cpu)};
}

struct WindowRun {
    explicit WindowRun(const QString& dir)
        : ports(PortDirectory::fixed(PortMap::fromDirectory(dir))),
          port(ports),
          unit(clock, pump, port),
          form(window.widgets(), {.pump = pump,
                                  .unit = [this]() -> Mdcomm& { return unit; },
                                  .describePort =
                                      [this](int n) {
                                          const auto device = ports->map().device(n);
                                          return device ? device->path : QString();
                                      },
                                  .version = VersionNumbers{1, 1, 0}}) {
        form.Form_Load();
        QObject::connect(&window, &QtMainWindow::resized, [this] { form.Form_Resize(); });
        window.show();
        QElapsedTimer shown;
        shown.start();
        while (!(window.windowHandle() && window.windowHandle()->isExposed()) &&
               shown.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }

    std::shared_ptr<const PortDirectory> ports;
    SystemTickClock clock;
    QtEventPump pump;
    QtSerialPort port;
    Mdcomm unit;
    QtMainWindow window;
    MainForm form;
};

struct SurveyInUse {
    Usage usage;
    qint64 lateMaxMs = 0;        // how late the 20 ms timer fired at worst
    double resizeLateMaxMs = 0;  // from a resize to the grid's next paint, at worst
    int resizes = 0;
};

// The survey with a timer the event loop should fire every 20 ms, and a user who nudges the
// window's size every 250 ms, both for the length of the survey.
SurveyInUse surveyInUse(WindowRun& run) {
    SurveyInUse figures;
    QElapsedTimer clock;
    clock.start();
    qint64 lastTick = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        figures.lateMaxMs = std::max(figures.lateMaxMs, now - lastTick - 20);
        lastTick = now;
    });
    double resizeAsked = -1;
    QTimer nudge;
    QObject::connect(&nudge, &QTimer::timeout, [&] {
        if (resizeAsked >= 0) return;
        resizeAsked = monotonicMs();
        const int step = (++figures.resizes % 2) ? 8 : -8;
        run.window.resize(run.window.width() + step, run.window.height());
    });
    PaintSpy gridPaints(run.window.MSFlexGrid1().view()->viewport());
    gridPaints.onPaint = [&] {
        if (resizeAsked < 0) return;
        figures.resizeLateMaxMs = std::max(figures.resizeLateMaxMs, monotonicMs() - resizeAsked);
        resizeAsked = -1;
    };
    tick.start(20);
    nudge.start(250);
    figures.usage = measure([&] { run.form.Command1_Click(); });
    return figures;
}

int windowProbe(const QString& dir, int argc, char** argv) {
    QApplication app(argc, argv);
    WindowRun run(dir);
    const SurveyInUse during = surveyInUse(run);
    QCoreApplication::processEvents();

    // The platform paints a window at its next frame; the paint is made at once here, so
    // that the figure is the work a resize costs rather than the wait for a frame.
    const Spread resize = timed(kRounds, [&](int i) {
        const int step = i % 2 ? 20 : -20;
        run.window.resize(run.window.width() + step, run.window.height() + step);
        QCoreApplication::processEvents();
        run.window.repaint();
    });
    GridView* view = run.window.MSFlexGrid1().view();
    const Spread repaint = timed(kRounds, [&](int) { view->viewport()->repaint(); });
    const QModelIndex flood = view->model()->index(kFloodPort - 1, survey::kAtCol - 1);
    const QPoint at = view->visualRect(flood).center();
    const Spread toolTip = timed(kRounds, [&](int) {
        QHelpEvent hover(QEvent::ToolTip, at, view->viewport()->mapToGlobal(at));
        QCoreApplication::sendEvent(view->viewport(), &hover);
        QToolTip::hideText();
    });
    std::printf(
        "window-flood-probe wall_ms=%.1f cpu_ms=%.1f late_max_ms=%lld resize_late_max_ms=%.1f "
        "resizes=%d resize_ms=%.2f resize_max_ms=%.2f resize_cpu_ms=%.2f repaint_ms=%.2f "
        "repaint_max_ms=%.2f repaint_cpu_ms=%.2f tooltip_ms=%.2f tooltip_max_ms=%.2f "
        "cell_chars=%lld\n",
        during.usage.wallMs, during.usage.cpuMs, static_cast<long long>(during.lateMaxMs),
        during.resizeLateMaxMs, during.resizes, resize.medianMs, resize.maxMs, resize.medianCpuMs,
        repaint.medianMs, repaint.maxMs, repaint.medianCpuMs, toolTip.medianMs, toolTip.maxMs,
        static_cast<long long>(largestCell(run.window.MSFlexGrid1().cells())));
    return 0;
}

int textProbe(const QString& dir, int argc, char** argv) {
    QCoreApplication app(argc, argv);
    BenchSurvey run(dir);
    const Usage usage = measure([&] { run.form.Command1_Click(); });
    std::printf("window-flood-probe wall_ms=%.1f cpu_ms=%.1f cell_chars=%lld\n", usage.wallMs,
                usage.cpuMs, static_cast<long long>(largestCell(run.widgets.MSFlexGrid1.cells())));
    return 0;
}

using Figures = std::map<QString, double>;

void reportFigures(Report& report, const Figures& w, const Figures& t) {
    const double ratio = w.at(QStringLiteral("wall_ms")) / t.at(QStringLiteral("wall_ms"));
    report.add("7", "survey wall, window (offscreen) / --text, flood among 5",
               format("%.0f / %.0f ms = %.3f", w.at(QStringLiteral("wall_ms")),
                      t.at(QStringLiteral("wall_ms")), ratio),
               "<= 1.05", verdictFor(ratio <= 1.05));
    report.add("7", "  timer every 20 ms during the window's survey: latest",
               format("%.0f ms late", w.at(QStringLiteral("late_max_ms"))), "none set",
               Verdict::Info);
    report.add("7", "  a resize during the survey -> grid repainted, latest",
               format("%.0f ms (%.0f resizes)", w.at(QStringLiteral("resize_late_max_ms")),
                      w.at(QStringLiteral("resizes"))),
               "none set", Verdict::Info);
    report.add("7", "after it: resize, handled and window repainted",
               format("%.2f ms median, %.2f max of %d (CPU %.2f ms)",
                      w.at(QStringLiteral("resize_ms")), w.at(QStringLiteral("resize_max_ms")),
                      kRounds, w.at(QStringLiteral("resize_cpu_ms"))),
               "< 16 ms", verdictFor(w.at(QStringLiteral("resize_max_ms")) < 16));
    report.add("7", "after it: repaint of the grid",
               format("%.2f ms median, %.2f max of %d (CPU %.2f ms)",
                      w.at(QStringLiteral("repaint_ms")), w.at(QStringLiteral("repaint_max_ms")),
                      kRounds, w.at(QStringLiteral("repaint_cpu_ms"))),
               "< 16 ms", verdictFor(w.at(QStringLiteral("repaint_max_ms")) < 16));
    report.add("7", "after it: tooltip of the flooded cell",
               format("%.2f ms median, %.2f max of %d", w.at(QStringLiteral("tooltip_ms")),
                      w.at(QStringLiteral("tooltip_max_ms")), kRounds),
               "none set", Verdict::Info);
    report.note(
        format("7  the flooded cell holds %.0f characters (window) and %.0f (--text); "
               "CPU during the survey: window %.0f ms, --text %.0f ms.",
               w.at(QStringLiteral("cell_chars")), t.at(QStringLiteral("cell_chars")),
               w.at(QStringLiteral("cpu_ms")), t.at(QStringLiteral("cpu_ms"))));
}

}  // namespace

int runWindowFloodProbe(const QStringList& args, int argc, char** argv) {
    if (args.size() != 2) return 2;
    if (args[0] == QLatin1String("window")) return windowProbe(args[1], argc, argv);
    return textProbe(args[1], argc, argv);
}

void windowFloodFigures(Report& report) {
    QTemporaryDir simDir;
    std::unique_ptr<SimulatorProcess> sim;
    try {
        // The chatter device sends 4 MiB/s, about what a pseudo-terminal carries from
        // /dev/urandom, with "OK" on lines of its own: its AT checks pass and both of its
        // cells get the megabyte a reply keeps.
        sim = std::make_unique<SimulatorProcess>(
            QELV_MODEMSIM_PATH, simDir.path().toStdString(),
            std::vector<std::string>{"hayes@1", "error@2", "chatter@3", "silent@4", "noisy@5",
                                     "lowerok@6"},
            false);
    } catch (const std::exception& error) {
        report.add("7", "window beside --text, one flooding device", error.what(), "runs",
                   Verdict::NotRun);
        return;
    }
    const auto probe = [&](const char* variant) {
        std::fprintf(stderr, "qelv_bench: one flooding device among five, %s (about 20 s)\n",
                     variant);
        QString why;
        auto values = runChild(
            {QStringLiteral("--window-flood-probe"), QLatin1String(variant), simDir.path()}, {},
            QStringLiteral("offscreen"), 180000, &why);
        if (!values) report.note(std::string("7  ") + variant + ": " + why.toStdString());
        return values;
    };
    const auto text = probe("text");
    const auto window = probe("window");
    sim->stop();
    if (!text || !window) {
        report.add("7", "window beside --text, one flooding device", "could not run", "",
                   Verdict::NotRun);
        return;
    }
    reportFigures(report, *window, *text);
}

}  // namespace qelv::bench
