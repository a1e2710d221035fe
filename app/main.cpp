#include "atcommand.h"
#include "options.h"
#include "readlog.h"
#include "runmodes.h"
#include "signalwatch.h"

#include <QApplication>
#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <system_error>
#include <utility>

namespace {

void print(FILE* stream, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
}

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
    print(stderr, QString::fromLatin1(kNoDisplay).chopped(1) + QStringLiteral(" (") + cause +
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

}  // namespace

int main(int argc, char** argv) try {
    using namespace qelv;
    const QStringList args = argumentsOf(argc, argv);
    if (!args.isEmpty() && args.first() == QLatin1String("at")) {
        QCoreApplication app(argc, argv);
        watchShutdownSignals();
        return runAtCommand(args.mid(1));
    }
    if (!args.isEmpty() && args.first() == QLatin1String("--read-log"))
        return runReadLog(args.mid(1));
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
    if (options.mode == RunMode::Window && !hasDisplay() &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        print(stderr, QString::fromLatin1(kNoDisplay));
        return kExitFailure;
    }
    if (options.mode == RunMode::Window || options.mode == RunMode::Demo) {
        const QtMessageHandler previous = qInstallMessageHandler(noDisplayHandler);
        QApplication app(argc, argv);
        qInstallMessageHandler(previous);
        releaseHeldMessages();
        QApplication::setApplicationName(QStringLiteral("qel-v"));
        watchShutdownSignals();
        return options.mode == RunMode::Demo ? runDemo(options, true) : runWindow(options);
    }
    QCoreApplication app(argc, argv);
    watchShutdownSignals();
    return runHeadless(options);
} catch (const std::system_error& error) {
    // Only the start-up can throw this far: the signal watch could not be set up.
    print(stderr, QStringLiteral("qel-v: %1\n").arg(QString::fromLocal8Bit(error.what())));
    return qelv::kExitFailure;
}
