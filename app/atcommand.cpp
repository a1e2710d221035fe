#include "atcommand.h"

#include "filelogwriter.h"
#include "linesettings.h"
#include "mdcomm.h"
#include "options.h"
#include "qteventpump.h"
#include "qtserialport.h"
#include "shutdown.h"
#include "textescape.h"

#include <QRegularExpression>

#include <cstdio>
#include <limits>
#include <optional>
#include <utility>

namespace qelv {

namespace {

enum class Op { SendModem, SendModemNotCr, ReBack, AtcRet, AtcInterRet, AtTrue, BufClr };

const std::pair<const char*, Op> kOps[] = {
    {"sendmodem", Op::SendModem}, {"sendmodem-notcr", Op::SendModemNotCr},
    {"reback", Op::ReBack},       {"atcret", Op::AtcRet},
    {"atcinterret", Op::AtcInterRet}, {"attrue", Op::AtTrue},
    {"bufclr", Op::BufClr}};

struct AtRequest {
    QString portsDir;
    std::optional<QString> port;
    std::optional<QString> command;
    QString settings = QStringLiteral("9600,N,8,1");
    Op op = Op::SendModem;
    std::int32_t waitMs = 2000;
    QString expect = QStringLiteral("OK");
    std::int16_t breakSeconds = 0;
    bool noEvents = false;
    bool log = false;
    bool json = false;
    bool help = false;
};

struct UsageError {
    QString message;
};

void print(FILE* stream, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
    std::fflush(stream);
}

Op parseOp(const QString& name) {
    for (const auto& [text, op] : kOps)
        if (name == QLatin1String(text)) return op;
    throw UsageError{QStringLiteral("unknown operation: ") + name};
}

template <typename Int>
Int parseNumber(const char* option, const QString& text) {
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok);
    if (!ok || value < std::numeric_limits<Int>::min() || value > std::numeric_limits<Int>::max())
        throw UsageError{QLatin1String(option) + QStringLiteral(" needs a whole number in range, not ") + text};
    return static_cast<Int>(value);
}

// True when `args[i]` is the option `name`, given as "name=VALUE" or "name VALUE".
bool valueOption(const QStringList& args, qsizetype& i, const char* name, QString& value) {
    QString error;
    const bool taken = takeOptionValue(args, i, QLatin1String(name), value, error);
    if (!error.isEmpty()) throw UsageError{error};
    return taken;
}

bool takeValueOption(AtRequest& r, const QStringList& args, qsizetype& i) {
    QString v;
    if (valueOption(args, i, "--ports", r.portsDir)) return true;
    if (valueOption(args, i, "--expect", r.expect)) return true;
    if (valueOption(args, i, "--op", v)) {
        r.op = parseOp(v);
    } else if (valueOption(args, i, "--wait", v)) {
        r.waitMs = parseNumber<std::int32_t>("--wait", v);
    } else if (valueOption(args, i, "--break", v)) {
        r.breakSeconds = parseNumber<std::int16_t>("--break", v);
    } else if (valueOption(args, i, "--settings", v)) {
        if (!parseLineSettings(v)) throw UsageError{QStringLiteral("invalid line settings: ") + v};
        r.settings = v;
    } else {
        return false;
    }
    return true;
}

bool takeFlag(AtRequest& r, const QString& arg) {
    if (arg == QLatin1String("--no-events")) r.noEvents = true;
    else if (arg == QLatin1String("--log")) r.log = true;
    else if (arg == QLatin1String("--json")) r.json = true;
    else if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) r.help = true;
    else return false;
    return true;
}

void takePositional(AtRequest& r, const QString& arg) {
    if (!r.port) r.port = arg;
    else if (!r.command) r.command = arg;
    else throw UsageError{QStringLiteral("unexpected argument: ") + arg};
}

// COMn, or 0 for a device path.
std::int16_t portNumber(const QString& port) {
    if (port.startsWith(u'/')) return 0;
    static const QRegularExpression com(QStringLiteral("^COM([0-9]{1,2})$"),
                                        QRegularExpression::CaseInsensitiveOption);
    const auto match = com.match(port);
    const int n = match.hasMatch() ? match.captured(1).toInt() : 0;
    if (n < 1 || n > 16)
        throw UsageError{QStringLiteral("PORT must be COM1 to COM16 or a device path, not ") + port};
    return static_cast<std::int16_t>(n);
}

void checkComplete(const AtRequest& r) {
    if (!r.port) throw UsageError{QStringLiteral("no PORT given")};
    portNumber(*r.port);
    if (r.op == Op::BufClr && r.command)
        throw UsageError{QStringLiteral("bufclr sends nothing and takes no COMMAND")};
    if (r.op != Op::BufClr && !r.command) throw UsageError{QStringLiteral("no COMMAND given")};
}

AtRequest parseRequest(const QStringList& args) {
    AtRequest r;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (!optionsEnded && arg == QLatin1String("--")) {
            optionsEnded = true;
        } else if (!optionsEnded && arg.size() > 1 && arg.startsWith(u'-')) {
            if (!takeValueOption(r, args, i) && !takeFlag(r, arg))
                throw UsageError{QStringLiteral("unknown option: ") + arg};
        } else {
            takePositional(r, arg);
        }
    }
    if (!r.help) checkComplete(r);
    return r;
}

struct Outcome {
    std::optional<QString> reply;  // none for attrue, whose code is its own result
    int code = -1;
};

// The port is given back on every way out, a request to end included.
struct PortRelease {
    SerialPort& port;
    ~PortRelease() {
        try {
            port.setPortOpen(false);
        } catch (const ModemError&) {
            // Nothing is left to do with a port that cannot even be closed.
        }
    }
};

std::unique_ptr<Mdcomm> makeUnit(const AtRequest& r) {
    const std::int16_t n = portNumber(*r.port);
    MdcommParts parts;
    parts.clock = std::make_unique<SystemTickClock>();
    parts.pump = std::make_unique<QtEventPump>();
    parts.port = std::make_unique<QtSerialPort>(
        n == 0 ? PortMap::single(*r.port) : PortMap::fromOptionOrEnvironment(r.portsDir));
    parts.logWriter = std::make_unique<FileLogWriter>();
    auto unit = std::make_unique<Mdcomm>(std::move(parts));
    unit->MSComm1.setCommPort(n == 0 ? 1 : n);
    return unit;
}

void openPort(SerialPort& port, const AtRequest& r) {
    port.setSettings(r.settings);
    port.setDTREnable(true);
    port.setRTSEnable(true);
    port.setHandshaking(0);
    try {
        port.setPortOpen(true);
    } catch (const ModemError& error) {
        QString shown = *r.port;
        const QString device = port.devicePath();
        if (!device.isEmpty() && device != shown) shown += QStringLiteral(" (") + device + u')';
        throw ModemError(error.number(), QStringLiteral("cannot open %1: %2").arg(shown, error.message()),
                         error.openFailure());
    }
}

Outcome classified(const Mdcomm& unit, QString reply) {
    const int code = unit.ATResultinstr(reply);
    return {std::move(reply), code};
}

Outcome runOperation(Mdcomm& unit, const AtRequest& r) {
    unit.ATBreak = r.breakSeconds;
    unit.ATCretNotEvent = r.noEvents ? 1 : 0;
    const QString command = r.command.value_or(QString());
    switch (r.op) {
    case Op::SendModem: return classified(unit, unit.SendModem(command, r.waitMs, r.expect));
    case Op::SendModemNotCr:
        return classified(unit, unit.SendModemNotCR(command, r.waitMs, r.expect));
    case Op::ReBack: return classified(unit, unit.SendModemReBack(command, r.waitMs));
    case Op::AtcRet: return classified(unit, unit.ATCret(command));
    case Op::AtcInterRet: return classified(unit, unit.ATCinterRet(command));
    case Op::AtTrue: return {std::nullopt, unit.ATTrue(command)};
    case Op::BufClr: return classified(unit, unit.ComportBufClr());
    }
    return {};
}

QString render(const Outcome& outcome, bool json) {
    const QString code = QString::number(outcome.code);
    if (json) {
        const QString reply = outcome.reply ? jsonStringLiteral(*outcome.reply) : QStringLiteral("null");
        return QStringLiteral("{\"reply\": ") + reply + QStringLiteral(", \"code\": ") + code +
               QStringLiteral("}\n");
    }
    QString text;
    if (outcome.reply) text = QStringLiteral("reply: ") + escapeForTerminal(*outcome.reply) + u'\n';
    return text + QStringLiteral("code: ") + code + u'\n';
}

int execute(const AtRequest& r) {
    const std::unique_ptr<Mdcomm> unit = makeUnit(r);
    PortRelease release{unit->MSComm1};
    try {
        if (r.log) {
            unit->LogswOn();
            print(stderr, QStringLiteral("log: ") + escapeForTerminal(unit->Logfilename) + u'\n');
        }
        openPort(unit->MSComm1, r);
        print(stdout, render(runOperation(*unit, r), r.json));
        return kExitOk;
    } catch (const ModemError& error) {
        print(stderr, QStringLiteral("qel-v at: error ") + QString::number(error.number()) +
                          QStringLiteral(": ") + escapeForTerminal(error.message()) + u'\n');
        return kExitFailure;
    } catch (const ShutdownRequested& request) {
        return request.exitCode();
    }
}

}  // namespace

int runAtCommand(const QStringList& argsAfterAt) {
    AtRequest request;
    try {
        request = parseRequest(argsAfterAt);
    } catch (const UsageError& error) {
        print(stderr, QStringLiteral("qel-v at: ") + escapeForTerminal(error.message) +
                          QStringLiteral("\nTry 'qel-v at --help'.\n"));
        return kExitUsage;
    }
    if (request.help) {
        print(stdout, atHelpText());
        return kExitOk;
    }
    return execute(request);
}

QString atHelpText() {
    return QStringLiteral(
        "Usage: qel-v at [--ports DIR] PORT [options] COMMAND\n"
        "\n"
        "Opens PORT, runs one operation of the modem-link unit and prints the reply (device\n"
        "text escaped: \\r, \\n, \\xNN) and its numeric result code.\n"
        "\n"
        "PORT is COM1 to COM16 (the device DIR/comN with --ports DIR, else through\n"
        "$QELV_PORTS, else the machine's serial devices in order) or a device path\n"
        "starting with '/'. The port is opened with DTR and RTS on and no flow control.\n"
        "\n"
        "Options:\n"
        "  --op OP          the operation (default sendmodem):\n"
        "                     sendmodem        send COMMAND + CR LF; collect until EXPECT + CR LF\n"
        "                                      or the time limit\n"
        "                     sendmodem-notcr  the same, sending COMMAND unchanged\n"
        "                     reback           send COMMAND + CR LF; collect until any result\n"
        "                                      text or the time limit\n"
        "                     atcret           send COMMAND + CR; collect until a final result\n"
        "                                      code (OK, ERROR, NO CARRIER, RING, BUSY, NO\n"
        "                                      ANSWER); no time limit\n"
        "                     atcinterret      like atcret, keeping the text before OK without\n"
        "                                      CR and LF\n"
        "                     attrue           discard waiting input, send COMMAND + CR, wait\n"
        "                                      3 s; code 1 ERROR, 0 OK, -1 neither (no reply)\n"
        "                     bufclr           send nothing; wait until the device falls silent\n"
        "                                      (3 s at most) and take what it sent; no COMMAND\n"
        "  --wait MS        time limit of sendmodem, sendmodem-notcr and reback (default 2000)\n"
        "  --expect TEXT    the reply that ends sendmodem and sendmodem-notcr (default OK)\n"
        "  --break SECONDS  atcret, atcinterret: wait this long instead and return only what\n"
        "                   arrived meanwhile; outside -32..32 it fails with overflow (error 6)\n"
        "  --no-events      atcret, atcinterret: do not pump events while collecting\n"
        "  --settings S     line settings (default 9600,N,8,1)\n"
        "  --log            log the reply to MDCOM.LOG in the log folder\n"
        "                   ($XDG_STATE_HOME/qel-v/); its path goes to stderr\n"
        "  --json           print {\"reply\": \"...\", \"code\": N}; reply is null for attrue\n"
        "  --ports DIR      COMn is the device DIR/comN (a link or a device node)\n"
        "  -h, --help       show this help\n"
        "\n"
        "Ctrl-C or SIGTERM ends an operation that does not end on its own; the port is\n"
        "released.\n"
        "\n"
        "Exit status: 0 done, 1 the port did not open or the operation failed (the error's\n"
        "number and message go to stderr), 2 bad command line, 128+N ended by signal N.\n");
}

}  // namespace qelv
