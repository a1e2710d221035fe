#include "options.h"

#include "version.h"

#include <optional>

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

namespace {

// The options that choose what the program does; --ports is checked with them because the
// demo and the log reader map no ports of the machine.
const QStringList kModeOptions = {QStringLiteral("--text"),     QStringLiteral("--json"),
                                  QStringLiteral("--demo"),     QStringLiteral("--list"),
                                  QStringLiteral("--read-log"), QStringLiteral("--parallel"),
                                  QStringLiteral("--metrics"),  QStringLiteral("--identify")};

// --output takes whatever a printed mode goes with; that a printed mode is given at all is
// checked on its own.
bool goesWithOutput(const QString& a, const QString& b) {
    static const QStringList kWith = {
        QStringLiteral("--text"),  QStringLiteral("--json"), QStringLiteral("--metrics"),
        QStringLiteral("--list"),  QStringLiteral("--demo"), QStringLiteral("--parallel"),
        QStringLiteral("--ports"), QStringLiteral("--port"), QStringLiteral("--identify")};
    return (a == QLatin1String("--output") && kWith.contains(b)) ||
           (b == QLatin1String("--output") && kWith.contains(a));
}

bool goTogether(const QString& a, const QString& b) {
    const auto pair = [&](const char* x, const char* y) {
        return (a == QLatin1String(x) && b == QLatin1String(y)) ||
               (a == QLatin1String(y) && b == QLatin1String(x));
    };
    return pair("--demo", "--text") || pair("--demo", "--json") || pair("--list", "--json") ||
           pair("--ports", "--text") || pair("--ports", "--json") || pair("--ports", "--list") ||
           pair("--parallel", "--text") || pair("--parallel", "--json") ||
           pair("--parallel", "--demo") || pair("--parallel", "--ports") ||
           pair("--metrics", "--parallel") || pair("--metrics", "--ports") ||
           pair("--port", "--text") || pair("--port", "--json") || pair("--port", "--list") ||
           pair("--port", "--ports") || pair("--port", "--parallel") ||
           pair("--port", "--metrics") || pair("--identify", "--text") ||
           pair("--identify", "--json") || pair("--identify", "--metrics") ||
           pair("--identify", "--demo") || pair("--identify", "--ports") ||
           pair("--identify", "--port") || pair("--identify", "--parallel") || goesWithOutput(a, b);
}

QString clashIn(const QStringList& given) {
    for (qsizetype i = 0; i < given.size(); ++i)
        for (qsizetype j = i + 1; j < given.size(); ++j)
            if (!goTogether(given.at(i), given.at(j)))
                return QStringLiteral("%1 and %2 exclude each other").arg(given.at(i), given.at(j));
    return {};
}

void settle(Options& options, const QStringList& given) {
    const auto has = [&given](const char* option) { return given.contains(QLatin1String(option)); };
    options.parallel = has("--parallel");
    options.identify = has("--identify");
    if (has("--read-log"))
        options.mode = RunMode::ReadLog;
    else if (has("--list"))
        options.mode = RunMode::List;
    else if (has("--demo"))
        options.mode = RunMode::Demo;
    else if (has("--text") || has("--json") || has("--metrics"))
        options.mode = RunMode::Survey;
    if (has("--json"))
        options.output = Output::Json;
    else if (has("--metrics"))
        options.output = Output::Metrics;
    else if (has("--text") || options.mode == RunMode::List)
        options.output = Output::Text;
}

QString outputProblem(const Options& options) {
    if (options.outputFile.isEmpty()) return QStringLiteral("--output needs a file name");
    if (options.output == Output::Window)
        return QStringLiteral("--output needs --text, --json, --metrics or --list");
    return {};
}

Options only(RunMode mode) {
    Options options;
    options.mode = mode;
    return options;
}

}  // namespace

Options parseOptions(const QStringList& args) {
    Options options;
    QStringList given;
    std::optional<RunMode> asked;  // --help or --version, whichever comes first
    for (qsizetype i = 0; i < args.size() && options.error.isEmpty(); ++i) {
        const QString& arg = args.at(i);
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            asked = asked.value_or(RunMode::Help);
            continue;
        }
        if (arg == QLatin1String("--version") || arg == QLatin1String("-V")) {
            asked = asked.value_or(RunMode::Version);
            continue;
        }
        QString name = arg.section(u'=', 0, 0);
        QString target;
        if (takeOptionValue(args, i, QStringLiteral("--ports"), options.portsDir, options.error) ||
            takeOptionValue(args, i, QStringLiteral("--read-log"), options.logFile,
                            options.error) ||
            takeOptionValue(args, i, QStringLiteral("--output"), options.outputFile,
                            options.error)) {
        } else if (takeOptionValue(args, i, QStringLiteral("--port"), target, options.error)) {
            if (options.error.isEmpty()) options.error = addPortTarget(options.portTargets, target);
        } else if (kModeOptions.contains(arg)) {
            name = arg;
        } else {
            options.error = QStringLiteral("unknown argument: %1").arg(arg);
        }
        if (options.error.isEmpty() && !given.contains(name)) given << name;
    }
    // Help and version answer whatever modes were given with them, but a word that is no
    // option is a mistake wherever it stands.
    if (asked && options.error.isEmpty()) return only(*asked);
    if (options.error.isEmpty()) options.error = clashIn(given);
    if (options.error.isEmpty()) settle(options, given);
    if (options.error.isEmpty() && given.contains(QLatin1String("--output")))
        options.error = outputProblem(options);
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
        "Usage: qel-v [--ports DIR] [--port COMn=TARGET]... [--parallel] [--identify]\n"
        "             [--text | --json]\n"
        "       qel-v [--ports DIR] [--port COMn=TARGET]... --list [--json]\n"
        "       qel-v [--ports DIR] [--port COMn=TARGET]... [--parallel] [--identify]\n"
        "             --metrics\n"
        "       qel-v --demo [--parallel] [--identify] [--text | --json]\n"
        "       qel-v at [--ports DIR] [--port COMn=TARGET]... PORT [options] COMMAND\n"
        "       qel-v check [--ports DIR] [--port COMn=TARGET]... PORT [options]\n"
        "       qel-v --read-log FILE\n"
        "\n"
        "Surveys the serial ports COM1 to COM16: which ones open, which answer the AT\n"
        "command ATE0Q0V1 with OK, and what each device says to ATI4I2I0.\n"
        "\n"
        "Without options the window opens; its start button runs a survey. Each survey\n"
        "reads the map of COM numbers afresh, so a USB adapter plugged in since is seen.\n"
        "\n"
        "Options:\n"
        "  --text        run one survey without a window and print the grid as a table\n"
        "                (device texts escaped: \\r, \\n, \\xNN)\n"
        "  --json        run one survey without a window and print the grid as JSON\n"
        "  --metrics     run one survey without a window and print it for Prometheus (text\n"
        "                format 0.0.4, for the node exporter's textfile collector)\n"
        "  --output FILE write what --text, --json, --metrics or --list print to FILE\n"
        "                instead: FILE is replaced only by a whole output (its mode kept,\n"
        "                else 0644), and a run that fails or is interrupted leaves it as it was\n"
        "  --list        print the COM map and what the system knows of each device\n"
        "                (kind, UART type, driver, model, USB ids, links, who uses it),\n"
        "                one line per mapped port; with --json one object per port.\n"
        "                Reads sysfs and udev only: no device is opened, no network\n"
        "                port connected to\n"
        "  --demo        survey a bench of simulated modems on pseudo-terminals, in the\n"
        "                window, or printed with --text or --json\n"
        "  --parallel    the two AT passes talk to all their ports at once: a survey takes\n"
        "                about as long as one port (3 s a pass) instead of 3 s a port;\n"
        "                the grid comes out the same\n"
        "  --identify    after the three passes, ask each device that answered the AT\n"
        "                check who it is, one command a line (+CGMI, +CGMM, +CGMR,\n"
        "                +CGSN or +GMI.., then ATI, ATI3), and try a port that opened but\n"
        "                answered nothing or noise at 115200, 57600, 38400, 19200 and\n"
        "                4800 bit/s. The grid stays as the passes left it; the identity\n"
        "                (manufacturer, model, revision, serial, speed, each with its\n"
        "                source: at, modemmanager or usb) goes into the tooltips, a line\n"
        "                under the --text table and \"identity\" in --json. What\n"
        "                ModemManager knows of a modem it manages is shown without it\n"
        "  --ports DIR   COMn is the device DIR/comN (a link or a device node); a COMn\n"
        "                without an entry has no device. Default: $QELV_PORTS, else the\n"
        "                machine's serial devices in order (ttyS*, then others by name).\n"
        "                A link DIR/comN whose target is a URL names a network port\n"
        "  --port COMn=TARGET\n"
        "                COMn is TARGET, before DIR and the machine's devices: a device\n"
        "                path, or a serial port behind a terminal server,\n"
        "                rfc2217://HOST:PORT (telnet with RFC 2217: the line settings\n"
        "                travel along) or socket://HOST:PORT (the bytes as they are);\n"
        "                HOST a name, an IPv4 address or [IPv6]. May be repeated\n"
        "  at ...        send one AT command to PORT (COMn, a device path or a URL)\n"
        "                and print the reply and its result code; see 'qel-v at --help'\n"
        "  check ...     a monitoring plugin: one AT exchange with PORT, one status line,\n"
        "                exit status 0 OK, 1 WARNING, 2 CRITICAL, 3 UNKNOWN;\n"
        "                see 'qel-v check --help'\n"
        "  --read-log FILE  print the records of a modem log (MDCOM.LOG), texts escaped\n"
        "  -h, --help    show this help\n"
        "  -V, --version show the version\n"
        "\n"
        "Other pairs of --text, --json, --metrics, --list, --demo and --read-log exclude each\n"
        "other.\n"
        "\n"
        "Exit status: 0 done, 1 failure, 2 bad command line, 128+N ended by signal N.\n");
}

}  // namespace qelv
