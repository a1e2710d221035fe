#include "atcommand.h"

#include "atport.h"
#include "atrender.h"
#include "atrequest.h"
#include "deadlinepump.h"
#include "mdcomm.h"
#include "options.h"
#include "printout.h"
#include "qteventpump.h"
#include "shutdown.h"
#include "textescape.h"
#include "unitfactory.h"

#include <cstdio>
#include <optional>
#include <utility>

namespace qelv {

namespace {

// The port is given back on every way out, a request to end included.
struct PortRelease {
    SerialPort& port;
    ~PortRelease() { closeQuietly(port); }
};

struct Unit {
    std::unique_ptr<Mdcomm> mdcomm;
    DeadlinePump* pump = nullptr;  // owned by mdcomm
};

Unit makeUnit(const AtRequest& r) {
    const std::int16_t n = atPortNumber(*r.port);
    auto pump = std::make_unique<DeadlinePump>(std::make_unique<QtEventPump>());
    DeadlinePump* pumpView = pump.get();
    auto ports = n == 0 ? PortDirectory::fixed(PortMap::single(*r.port))
                        : PortDirectory::fromOptionOrEnvironment(r.portsDir);
    auto unit = std::make_unique<Mdcomm>(machineParts(std::move(ports), std::move(pump)));
    unit->MSComm1.setCommPort(n == 0 ? 1 : n);
    return {std::move(unit), pumpView};
}

AtEnding classified(const Mdcomm& unit, const AtRequest& r, QString reply) {
    const int code = unit.ATResultinstr(reply);
    return {r.op, std::move(reply), code, r.expect, r.breakSeconds != 0};
}

AtEnding runOperation(Mdcomm& unit, const AtRequest& r) {
    unit.ATBreak = r.breakSeconds;
    unit.ATCretNotEvent = r.noEvents ? 1 : 0;
    const QString command = r.command.value_or(QString());
    switch (r.op) {
        case AtOp::SendModem:
            return classified(unit, r, unit.SendModem(command, r.waitMs, r.expect));
        case AtOp::SendModemNotCr:
            return classified(unit, r, unit.SendModemNotCR(command, r.waitMs, r.expect));
        case AtOp::ReBack:
            return classified(unit, r, unit.SendModemReBack(command, r.waitMs));
        case AtOp::AtcRet:
            return classified(unit, r, unit.ATCret(command));
        case AtOp::AtcInterRet:
            return classified(unit, r, unit.ATCinterRet(command));
        case AtOp::AtTrue:
            return {r.op, std::nullopt, unit.ATTrue(command), {}, false};
        case AtOp::BufClr:
            return classified(unit, r, unit.ComportBufClr());
    }
    return {};
}

int execute(const AtRequest& r) {
    const Unit unit = makeUnit(r);
    Mdcomm& mdcomm = *unit.mdcomm;
    PortRelease release{mdcomm.MSComm1};
    try {
        if (r.log) {
            mdcomm.LogswOn();
            printText(stderr,
                      QStringLiteral("log: ") + escapeForTerminal(mdcomm.Logfilename) + u'\n');
        }
        openAtPort(mdcomm.MSComm1, r);
        if (r.timeout) unit.pump->arm(*r.timeout);
        const AtEnding ending = runOperation(mdcomm, r);
        printText(stdout, renderAtEnding(ending, r.json));
        return exitStatusOf(atVerdict(ending));
    } catch (const DeadlinePassed&) {
        printText(stderr, QStringLiteral("qel-v at: no final result code within %1 ms\n")
                              .arg(r.timeout->count()));
        return exitStatusOf(AtVerdict::NoAnswer);
    } catch (const ModemError& error) {
        printText(stderr, QStringLiteral("qel-v at: error ") + QString::number(error.number()) +
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
        request = parseAtRequest(argsAfterAt);
    } catch (const AtUsageError& error) {
        printText(stderr, QStringLiteral("qel-v at: ") + escapeForTerminal(error.message) +
                              QStringLiteral("\nTry 'qel-v at --help'.\n"));
        return kExitUsage;
    }
    if (request.help) {
        printText(stdout, atHelpText());
        return kExitOk;
    }
    // A ports directory that cannot be read would make COMn absent, as if nothing were there.
    const QString dir = PortMap::directoryFromOptionOrEnvironment(request.portsDir);
    const QString problem = dir.isEmpty() || atPortNumber(*request.port) == 0
                                ? QString()
                                : PortMap::directoryProblem(dir);
    if (!problem.isEmpty()) {
        printText(stderr, QStringLiteral("qel-v at: ") + escapeForTerminal(problem) +
                              QStringLiteral("\nTry 'qel-v at --help'.\n"));
        return kExitUsage;
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
        "  --wait MS        time limit of sendmodem, sendmodem-notcr and reback, 0 or more\n"
        "                   (default 2000)\n"
        "  --timeout MS     atcret, atcinterret: give up after MS milliseconds without a\n"
        "                   final result code (default: wait for as long as it takes)\n"
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
        "Exit status:\n"
        "  0    success: sendmodem and sendmodem-notcr got EXPECT; reback, atcret and\n"
        "       atcinterret ended on OK or a CONNECT result; attrue got OK; bufclr always\n"
        "  3    the device answered with an ERROR-class result (ERROR, NO CARRIER, BUSY,\n"
        "       NO ANSWER, NO DIALTONE, RING, DELAYED, LINE OFF)\n"
        "  4    no answer: nothing that ends the operation arrived within --wait, --timeout\n"
        "       or attrue's 3 s (or, with --break, nothing arrived at all)\n"
        "  1    the port did not open or the exchange failed (the error's number and\n"
        "       message go to stderr)\n"
        "  2    bad command line\n"
        "  128+N  ended by signal N\n"
        "The reply is printed in every case but a failure and a --timeout that ran out.\n");
}

}  // namespace qelv
