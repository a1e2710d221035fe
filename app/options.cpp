#include "options.h"

#include "version.h"

namespace qelv {

bool takeOptionValue(const QStringList& args, qsizetype& i, const QString& name, QString& value,
                     QString& error) {
    const QString& arg = args.at(i);
    if (arg.startsWith(name + u'=')) {
        value = arg.mid(name.size() + 1);
        return true;
    }
    if (arg != name) return false;
    if (i + 1 >= args.size()) {
        error = QStringLiteral("%1 needs a value").arg(name);
        return true;
    }
    value = args.at(++i);
    return true;
}

Options parseOptions(const QStringList& args) {
    Options options;
    for (qsizetype i = 0; i < args.size() && options.error.isEmpty(); ++i) {
        const QString& arg = args.at(i);
        if (takeOptionValue(args, i, QStringLiteral("--ports"), options.portsDir, options.error))
            continue;
        if (arg == QLatin1String("--text")) options.mode = RunMode::Text;
        else if (arg == QLatin1String("--json")) options.mode = RunMode::Json;
        else if (arg == QLatin1String("--demo")) options.mode = RunMode::Demo;
        else if (arg == QLatin1String("--parallel")) options.parallel = true;
        else if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) return {RunMode::Help, {}, {}};
        else if (arg == QLatin1String("--version") || arg == QLatin1String("-V")) return {RunMode::Version, {}, {}};
        else options.error = QStringLiteral("unknown argument: %1").arg(arg);
    }
    return options;
}

QString versionText() {
    return QStringLiteral("qel-v %1.%2.%3 (file version %4, version %5, %6)\n%7\n")
        .arg(version::kNumbers.major)
        .arg(version::kNumbers.minor)
        .arg(version::kNumbers.revision)
        .arg(QLatin1String(version::kFileVersion), QLatin1String(version::kVersionText),
             QLatin1String(version::kInternalName), QString::fromUtf8(version::kComment));
}

QString helpText() {
    return QStringLiteral(
        "Usage: qel-v [--ports DIR] [--parallel] [--text | --json | --demo]\n"
        "       qel-v at [--ports DIR] PORT [options] COMMAND\n"
        "       qel-v --read-log FILE\n"
        "\n"
        "Surveys the serial ports COM1 to COM16: which ones open, which answer the AT\n"
        "command ATE0Q0V1 with OK, and what each device says to ATI4I2I0.\n"
        "\n"
        "Without options the window opens; its start button runs a survey.\n"
        "\n"
        "Options:\n"
        "  --text        run one survey without a window and print the grid as a table\n"
        "                (device texts escaped: \\r, \\n, \\xNN)\n"
        "  --json        run one survey without a window and print the grid as JSON\n"
        "  --demo        survey a bench of simulated modems on pseudo-terminals\n"
        "  --parallel    the two AT passes talk to all their ports at once: a whole survey\n"
        "                takes about as long as one port (3 s a pass) instead of 3 s a port;\n"
        "                the grid comes out the same\n"
        "  --ports DIR   COMn is the device DIR/comN (a link or a device node); a COMn\n"
        "                without an entry has no device. Default: $QELV_PORTS, else the\n"
        "                machine's serial devices in order (ttyS*, then others by name)\n"
        "  at ...        send one AT command to PORT (COMn or a device path) and print\n"
        "                the reply and its result code; see 'qel-v at --help'\n"
        "  --read-log FILE  print the records of a modem log (MDCOM.LOG), texts escaped\n"
        "  -h, --help    show this help\n"
        "  -V, --version show the version\n"
        "\n"
        "Exit status: 0 done, 1 failure, 2 bad command line, 128+N ended by signal N.\n");
}

}  // namespace qelv
