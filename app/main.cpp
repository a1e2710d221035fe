#include "atcommand.h"
#include "options.h"
#include "readlog.h"
#include "runmodes.h"
#include "signalwatch.h"

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

}  // namespace

int main(int argc, char** argv) {
    using namespace qelv;
    const QStringList args = argumentsOf(argc, argv);
    if (!args.isEmpty() && args.first() == QLatin1String("at")) {
        QCoreApplication app(argc, argv);
        watchShutdownSignals();
        return runAtCommand(args.mid(1));
    }
    if (!args.isEmpty() && args.first() == QLatin1String("--read-log")) return runReadLog(args.mid(1));
    const Options options = parseOptions(args);
    if (!options.error.isEmpty()) {
        print(stderr, QStringLiteral("qel-v: %1\nTry 'qel-v --help'.\n").arg(options.error));
        return kExitUsage;
    }
    if (options.mode == RunMode::Help) {
        print(stdout, helpText());
        return kExitOk;
    }
    if (options.mode == RunMode::Version) {
        print(stdout, versionText());
        return kExitOk;
    }
    if (options.mode == RunMode::Demo && !hasDisplay()) {
        QCoreApplication app(argc, argv);
        watchShutdownSignals();
        return runDemo(options, false);
    }
    if (options.mode == RunMode::Window && !hasDisplay() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        print(stderr, QStringLiteral("qel-v: there is no display to show the window on; "
                                     "use --text or --json (see --help)\n"));
        return kExitFailure;
    }
    if (options.mode == RunMode::Window || options.mode == RunMode::Demo) {
        QApplication app(argc, argv);
        QApplication::setApplicationName(QStringLiteral("qel-v"));
        watchShutdownSignals();
        return options.mode == RunMode::Demo ? runDemo(options, true) : runWindow(options);
    }
    QCoreApplication app(argc, argv);
    watchShutdownSignals();
    return runHeadless(options);
}
