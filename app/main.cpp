#include "atcommand.h"
#include "options.h"
#include "portmap.h"
#include "readlog.h"
#include "runmodes.h"
#include "signalwatch.h"
#include "terminalescape.h"

#include <QApplication>
#include <QCoreApplication>

#include <cstdio>
#include <memory>

namespace {

void print(FILE* stream, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
}

QStringList argumentsOf(int argc, char** argv) {
    QStringList args;
    for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    return args;
}

int usageError(const QString& why) {
    print(stderr,
          QStringLiteral("qel-v: %1\nTry 'qel-v --help'.\n").arg(qelv::escapeControls(why)));
    return qelv::kExitUsage;
}

// A ports directory that cannot be read would show sixteen absent ports, which looks like a
// finding; it is a mistake on the command line. Misspelt entries are only worth a warning.
std::optional<int> checkPortsDirectory(const qelv::Options& options) {
    using qelv::PortMap;
    const QString dir = PortMap::directoryFromOptionOrEnvironment(options.portsDir);
    if (dir.isEmpty()) return std::nullopt;
    if (const QString problem = PortMap::directoryProblem(dir); !problem.isEmpty())
        return usageError(problem);
    const QStringList misnamed = PortMap::misnamedEntries(dir);
    if (!misnamed.isEmpty())
        print(stderr,
              qelv::escapeControls(QStringLiteral("qel-v: warning: %1 has entries that are no COM "
                                                  "port (the names are com1 to com16): %2")
                                       .arg(dir, misnamed.join(QStringLiteral(", ")))) +
                  u'\n');
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
        print(stdout, helpText());
        return kExitOk;
    }
    if (options.mode == RunMode::Version) {
        print(stdout, versionText());
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
        print(stderr, QStringLiteral("qel-v: there is no display to show the window on; "
                                     "use --text or --json (see --help)\n"));
        return kExitFailure;
    }
    std::unique_ptr<QCoreApplication> app = window ? std::make_unique<QApplication>(argc, argv)
                                                   : std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("qel-v"));
    if (options.mode == RunMode::List) return runList(options);
    watchShutdownSignals();
    if (options.mode == RunMode::Demo) return runDemo(options, window);
    return window ? runWindow(options) : runHeadless(options);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace qelv;
    const QStringList args = argumentsOf(argc, argv);
    if (!args.isEmpty() && args.first() == QLatin1String("at")) {
        QCoreApplication app(argc, argv);
        watchShutdownSignals();
        return runAtCommand(args.mid(1));
    }
    const Options options = parseOptions(args);
    if (!options.error.isEmpty()) return usageError(options.error);
    if (const auto status = runWithoutApplication(options)) return *status;
    return runWithApplication(options, argc, argv);
}
