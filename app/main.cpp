#include "atcommand.h"
#include "check/checkcommand.h"
#include "options.h"
#include "portmap.h"
#include "portuse.h"
#include "printout.h"
#include "readlog.h"
#include "runmodes.h"
#include "signalwatch.h"
#include "textescape.h"

#include <QApplication>
#include <QCoreApplication>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <system_error>
#include <utility>

namespace {

using qelv::printText;

const char kNoDisplay[] =
    "qel-v: there is no display to show the window on; use --text or --json (see --help)\n";

// Qt ends the program with abort() when the display it was told to use cannot be reached
// (a stale DISPLAY after an SSH session, a stopped X server). Only while the application
// object is made, a fatal message means exactly that, and it ends the program the documented
// way instead.
QStringList& heldMessages() {
    static QStringList messages;
    return messages;
}

void noDisplayHandler(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtFatalMsg) {
        heldMessages() << message;
        return;
    }
    // The first thing Qt said names the cause ("could not connect to display :1"); its
    // fatal words after that are about reinstalling plugins, which would mislead.
    const QString cause = heldMessages().value(0, message.section(u'\n', 0, 0));
    printText(stderr, QString::fromLatin1(kNoDisplay).chopped(1) + QStringLiteral(" (") + cause +
                          QStringLiteral(")\n"));
    std::_Exit(qelv::kExitFailure);
}

void releaseHeldMessages() {
    for (const QString& message : std::exchange(heldMessages(), {}))
        qWarning("%s", qPrintable(message));
}

QStringList argumentsOf(int argc, char** argv) {
    QStringList args;
    for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    return args;
}

int usageError(const QString& why) {
    printText(stderr,
              QStringLiteral("qel-v: %1\nTry 'qel-v --help'.\n").arg(qelv::escapeForTerminal(why)));
    return qelv::kExitUsage;
}

// One warning line naming `entries` of the ports directory `dir`; nothing when there are none.
void warnOfEntries(const QString& dir, const QString& what, const QStringList& entries) {
    if (entries.isEmpty()) return;
    printText(stderr,
              qelv::escapeForTerminal(QStringLiteral("qel-v: warning: %1 has %2: %3")
                                          .arg(dir, what, entries.join(QStringLiteral(", ")))) +
                  u'\n');
}

// A ports directory that cannot be read would show sixteen absent ports, which looks like a
// finding; it is a mistake on the command line. Misspelt entries are only worth a warning.
std::optional<int> checkPortsDirectory(const qelv::Options& options) {
    using qelv::PortMap;
    const QString dir = PortMap::directoryFromOptionOrEnvironment(options.portsDir);
    if (dir.isEmpty()) return std::nullopt;
    if (const QString problem = PortMap::directoryProblem(dir); !problem.isEmpty())
        return usageError(problem);
    warnOfEntries(dir, QStringLiteral("entries that are no COM port (the names are com1 to com16)"),
                  PortMap::misnamedEntries(dir));
    warnOfEntries(dir,
                  QStringLiteral("links to network ports that are malformed (these COM ports "
                                 "have no device)"),
                  PortMap::malformedTargets(dir));
    return std::nullopt;
}

bool mapsMachinePorts(qelv::RunMode mode) {
    return mode == qelv::RunMode::Window || mode == qelv::RunMode::Survey ||
           mode == qelv::RunMode::List;
}

// What needs no application object: help, version, the log reader and the checks of the
// ports directory. Nothing when the mode is still to run.
std::optional<int> runWithoutApplication(const qelv::Options& options) {
    using namespace qelv;
    if (options.mode == RunMode::Help) {
        printText(stdout, helpText());
        return kExitOk;
    }
    if (options.mode == RunMode::Version) {
        printText(stdout, versionText());
        return kExitOk;
    }
    if (options.mode == RunMode::ReadLog) return runReadLog(options.logFile);
    if (mapsMachinePorts(options.mode)) return checkPortsDirectory(options);
    return std::nullopt;
}

int runWithApplication(const qelv::Options& options, int argc, char** argv) {
    using namespace qelv;
    const bool headlessDemo =
        options.mode == RunMode::Demo && (options.output != Output::Window || !hasDisplay());
    const bool window =
        options.mode == RunMode::Window || (options.mode == RunMode::Demo && !headlessDemo);
    if (options.mode == RunMode::Window && !hasDisplay() &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        printText(stderr, QString::fromLatin1(kNoDisplay));
        return kExitFailure;
    }
    std::unique_ptr<QCoreApplication> app;
    if (window) {
        const QtMessageHandler previous = qInstallMessageHandler(noDisplayHandler);
        app = std::make_unique<QApplication>(argc, argv);
        qInstallMessageHandler(previous);
        releaseHeldMessages();
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("qel-v"));
    watchShutdownSignals();
    if (options.mode == RunMode::List) return runList(options);
    if (options.mode == RunMode::Demo) return runDemo(options, window);
    return window ? runWindow(options) : runHeadless(options);
}

}  // namespace

int main(int argc, char** argv) try {
    using namespace qelv;
    // What an open cleared that a killed run left: one line each, over the progress line.
    setClearedLeftoverHandler([](const QString& note) {
        const QString clearLine =
            ::isatty(STDERR_FILENO) == 1 ? QStringLiteral("\r\x1b[K") : QString();
        printText(stderr, clearLine + QStringLiteral("qel-v: ") + escapeForTerminal(note) + u'\n');
    });
    const QStringList args = argumentsOf(argc, argv);
    if (!args.isEmpty() && args.first() == QLatin1String("at")) {
        QCoreApplication app(argc, argv);
        watchShutdownSignals();
        return runAtCommand(args.mid(1));
    }
    if (!args.isEmpty() && args.first() == QLatin1String("check")) {
        QCoreApplication app(argc, argv);
        watchShutdownSignals();
        return runCheckCommand(args.mid(1));
    }
    const Options options = parseOptions(args);
    if (!options.error.isEmpty()) return usageError(options.error);
    if (const auto status = runWithoutApplication(options)) return *status;
    return runWithApplication(options, argc, argv);
} catch (const std::system_error& error) {
    // Only the start-up can throw this far: the signal watch could not be set up.
    printText(stderr, QStringLiteral("qel-v: %1\n").arg(QString::fromLocal8Bit(error.what())));
    return qelv::kExitFailure;
}
