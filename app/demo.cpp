#include "runmodes.h"

#include "modemsim/simulatorprocess.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <stdexcept>

namespace qelv {

namespace {

// The bench: a Hayes modem, one that refuses the identification query, a silent device,
// one that answers with binary noise and escape sequences, a modem that echoes in lower
// case, and three of today's devices (a Wi-Fi module at a fixed 115200 bit/s, an LTE module
// that knows no ATI4, a 56k modem whose ATI2 prints "OK"), for --identify to name.
const std::vector<std::string> kBench = {"hayes@1",  "error@2",   "silent@4",       "noisy@5",
                                         "esp-at@6", "lowerok@7", "quectel-ec25@8", "usr-56k@9"};

QString simulatorPath() {
    const QString env = qEnvironmentVariable("QELV_MODEMSIM");
    if (!env.isEmpty()) return env;
    const QDir appDir(QCoreApplication::applicationDirPath());
    // Beside the program in the build tree, in libexec once installed: never a path of the
    // machine the program was built on.
    const QStringList candidates = {
        appDir.filePath(QStringLiteral("qelv-modemsim")),
        appDir.filePath(QStringLiteral("../") + QLatin1String(QELV_LIBEXEC_SUBDIR) +
                        QStringLiteral("/qelv-modemsim"))};
    for (const QString& candidate : candidates)
        if (QFileInfo(candidate).isExecutable()) return candidate;
    return {};
}

}  // namespace

bool hasDisplay() {
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    if (!platform.isEmpty())
        return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
    return qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
}

int runDemo(const Options& options, bool window) {
    const QString simulator = simulatorPath();
    if (simulator.isEmpty()) {
        std::fputs("qel-v: the modem simulator qelv-modemsim was not found\n", stderr);
        return kExitFailure;
    }
    QTemporaryDir dir;
    std::unique_ptr<SimulatorProcess> bench;
    try {
        bench = std::make_unique<SimulatorProcess>(simulator.toStdString(),
                                                   dir.path().toStdString(), kBench, false);
    } catch (const std::runtime_error& error) {
        std::fprintf(stderr, "qel-v: the modem simulator did not start: %s\n", error.what());
        return kExitFailure;
    }
    Options demo = options;
    demo.portsDir = dir.path();
    if (!window) {
        std::fprintf(stderr, "qel-v: demo: simulated devices on COM1, COM2, COM4 to COM9 (%s)\n",
                     qPrintable(dir.path()));
        if (demo.output == Output::Window) demo.output = Output::Text;
        return runHeadless(demo);
    }
    return runWindow(demo, true);
}

}  // namespace qelv
