#include "probes.h"

#include "mainform.h"
#include "mdcomm.h"
#include "measure.h"
#include "oldloops.h"
#include "portmap.h"
#include "qteventpump.h"
#include "qtmainwindow.h"
#include "qtserialport.h"
#include "surveytexts.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>
#include <QWindow>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace qelv::bench {

namespace {

// Ends `loop` once the window is exposed and a paint of it (or of anything in it) has run.
class ShownSpy final : public QObject {
public:
    ShownSpy(QWidget& window, QEventLoop& loop) : m_window(window), m_loop(loop) {}
    bool painted = false;

protected:
    bool eventFilter(QObject* target, QEvent* event) override {
        if (event->type() == QEvent::Paint && target->isWidgetType()) {
            auto* widget = static_cast<QWidget*>(target);
            if (widget == &m_window || m_window.isAncestorOf(widget)) painted = true;
        }
        // The quit takes effect once the event being handled, the paint included, is done.
        if (painted && exposed()) m_loop.quit();
        return false;
    }

private:
    bool exposed() const {
        const QWindow* handle = m_window.windowHandle();
        return m_window.isVisible() && handle && handle->isExposed();
    }
    QWidget& m_window;
    QEventLoop& m_loop;
};

}  // namespace

WindowTimes measureWindowShown() {
    WindowTimes times;
    const double start = monotonicMs();
    QtEventPump pump;
    auto window = std::make_unique<QtMainWindow>();
    MainForm form(window->widgets(),
                  {.pump = pump,
                   .unit = []() -> Mdcomm& { throw std::logic_error("no survey in this run"); },
                   .describePort = [](int) { return QString(); },
                   .version = VersionNumbers{1, 1, 0}});
    times.builtMs = monotonicMs() - start;
    form.Form_Load();
    QObject::connect(window.get(), &QtMainWindow::resized, [&form] { form.Form_Resize(); });
    times.loadedMs = monotonicMs() - start;

    QEventLoop loop;
    ShownSpy spy(*window, loop);
    qApp->installEventFilter(&spy);
    QTimer giveUp;
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, &loop, &QEventLoop::quit);
    giveUp.start(10000);
    window->show();
    loop.exec();
    times.shownMs = monotonicMs() - start;
    times.shown = spy.painted && window->isVisible();
    qApp->removeEventFilter(&spy);
    window->hide();
    return times;
}

std::optional<double> msSinceExec() {
    FILE* file = std::fopen("/proc/self/stat", "r");
    if (!file) return std::nullopt;
    char text[1024];
    const std::size_t length = std::fread(text, 1, sizeof text - 1, file);
    std::fclose(file);
    text[length] = '\0';
    // The command name may hold blanks and parentheses; the fields after it may not.
    const char* rest = std::strrchr(text, ')');
    if (!rest) return std::nullopt;
    unsigned long long startTicks = 0;
    // The file names no fields, so the start time (the 22nd) is found by counting.
    if (std::sscanf(rest + 2,
                    "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %*u %*u %*d %*d %*d %*d %*d "
                    "%*d %llu",
                    &startTicks) != 1)
        return std::nullopt;
    timespec now{};
    ::clock_gettime(CLOCK_BOOTTIME, &now);
    const double nowMs =
        static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
    return nowMs -
           static_cast<double>(startTicks) * 1e3 / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

int runWindowProbe(double mainStartMs, int argc, char** argv) {
    const std::optional<double> execToMain = msSinceExec();
    const double beforeApp = monotonicMs();
    QApplication app(argc, argv);
    const double appMs = monotonicMs() - beforeApp;
    const WindowTimes times = measureWindowShown();
    const double mainToShown = monotonicMs() - mainStartMs;
    std::printf("window-probe main_to_shown=%.2f app=%.2f window=%.2f shown=%d exec_to_main=%.1f\n",
                mainToShown, appMs, times.shownMs, times.shown ? 1 : 0, execToMain.value_or(-1.0));
    return times.shown ? 0 : 1;
}

int runFloodProbe(const QStringList& args, int argc, char** argv) {
    if (args.size() != 3) return 2;
    const bool busy = args[0] == QLatin1String("busy");
    QCoreApplication app(argc, argv);
    SystemTickClock clock;
    QtEventPump pump;
    QtSerialPort port(PortMap::fromDirectory(args[1]));
    try {
        openForSurvey(port, static_cast<std::int16_t>(args[2].toInt()));
    } catch (const ModemError& error) {
        std::fprintf(stderr, "flood probe: %s\n", qPrintable(error.message()));
        return 1;
    }
    Mdcomm unit(clock, pump, port);
    const bool reset = resetPeakRss();
    const long rssBefore = statusKb("VmRSS");
    const long peakBefore = statusKb("VmHWM");
    qsizetype replyChars = 0;
    long cycles = 0;
    const Usage usage = measure([&] {
        if (busy) {
            BusyReply reply =
                busySendModem(clock, pump, port, QStringLiteral("AT"), 2000, QStringLiteral("OK"));
            replyChars = reply.text.size();
            cycles = reply.cycles;
        } else {
            replyChars = unit.SendModem(QStringLiteral("AT"), 2000, QStringLiteral("OK")).size();
        }
    });
    const long peakAfter = statusKb("VmHWM");
    port.setPortOpen(false);
    // Without the reset the peak may be older than this run; growth over it is all we know.
    const long growth = peakAfter - (reset ? rssBefore : peakBefore);
    std::printf(
        "flood-probe growth_kb=%ld reply_chars=%lld wall_ms=%.1f cpu_ms=%.1f cycles=%ld "
        "reset=%d\n",
        growth, static_cast<long long>(replyChars), usage.wallMs, usage.cpuMs, cycles,
        reset ? 1 : 0);
    return 0;
}

std::optional<std::map<QString, double>> runChild(const QStringList& args,
                                                  const QStringList& wrapper,
                                                  const QString& platform, int timeoutMs,
                                                  QString* why) {
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    child.setProcessEnvironment(environment);
    const QString self = QCoreApplication::applicationFilePath();
    if (wrapper.isEmpty()) {
        child.start(self, args);
    } else {
        child.start(wrapper.first(), wrapper.mid(1) + QStringList{self} + args);
    }
    if (!child.waitForStarted(5000)) {
        if (why) *why = QStringLiteral("could not start: ") + child.errorString();
        return std::nullopt;
    }
    if (!child.waitForFinished(timeoutMs)) {
        child.kill();
        child.waitForFinished(2000);
        if (why) *why = QStringLiteral("timed out");
        return std::nullopt;
    }
    const QString out = QString::fromLocal8Bit(child.readAllStandardOutput());
    const QStringList lines = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    static const QRegularExpression pair(QStringLiteral("(\\w+)=(-?[0-9.]+)"));
    for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
        std::map<QString, double> values;
        auto matches = pair.globalMatch(*line);
        while (matches.hasNext()) {
            const auto match = matches.next();
            values[match.captured(1)] = match.captured(2).toDouble();
        }
        if (!values.empty()) return values;
    }
    if (why)
        *why = QStringLiteral("no figures (exit %1): %2")
                   .arg(child.exitCode())
                   .arg(QString::fromLocal8Bit(child.readAllStandardError()).trimmed().left(200));
    return std::nullopt;
}

double rawReplyMs(const QString& path, const QByteArray& command, const QByteArray& stop) {
    const int fd =
        ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    termios raw{};
    ::tcgetattr(fd, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(fd, TCSANOW, &raw);
    ::tcflush(fd, TCIFLUSH);
    QByteArray received;
    const double start = monotonicMs();
    double result = -1;
    if (::write(fd, command.constData(), static_cast<size_t>(command.size())) == command.size()) {
        while (monotonicMs() - start < 3000) {
            pollfd pfd{fd, POLLIN, 0};
            if (::poll(&pfd, 1, 50) <= 0) continue;
            char buffer[512];
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n > 0) received.append(buffer, n);
            if (received.contains(stop)) {
                result = monotonicMs() - start;
                break;
            }
        }
    }
    ::close(fd);
    return result;
}

}  // namespace qelv::bench
