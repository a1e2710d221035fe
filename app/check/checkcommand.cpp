#include "checkcommand.h"

#include "atrequest.h"
#include "atsession.h"
#include "checkverdict.h"
#include "portmap.h"
#include "printout.h"
#include "shutdown.h"
#include "ticksbetween.h"
#include "version.h"

#include <QRegularExpression>

#include <optional>

namespace qelv {

namespace {

int finish(const CheckResult& result) {
    printText(stdout, statusLine(result));
    return static_cast<int>(result.status);
}

// What the system calls the device: its maker and model as udev has them.
QString deviceName(AtSession& session) {
    const auto facts = session.facts();
    if (!facts) return {};
    return QStringList{facts->manufacturer, facts->description}
        .filter(QRegularExpression(QStringLiteral("\\S")))
        .join(u' ');
}

CheckResult exchange(AtSession& session, const CheckRequest& r) {
    Mdcomm& unit = session.unit();
    try {
        session.open(r.settings);
    } catch (const ModemError& error) {
        return judgeOpenFailure(error);
    }
    try {
        const auto limit = static_cast<std::int32_t>(r.critical.count());
        const std::int32_t sentAt = unit.OnTime();
        // Waiting for OK, a refusal is as final as the answer: ERROR or +CME ERROR ends the
        // wait at once instead of at -c. Any other EXPECT is waited for as it is.
        const QString reply = r.expect == QLatin1String("OK")
                                  ? unit.SendModemFinal(r.command, limit)
                                  : unit.SendModem(r.command, limit, r.expect);
        const auto took = ticksBetween(sentAt, unit.OnTime());
        return judgeAnswer(r, r.port, deviceName(session), reply, took);
    } catch (const ModemError& error) {
        return judgeExchangeFailure(error);
    }
}

std::optional<CheckRequest> parse(const QStringList& args, CheckResult& refusal) {
    try {
        CheckRequest r = parseCheckRequest(args);
        // A ports directory that cannot be read would make COMn absent, as if nothing were
        // there: a mistake on the command line, not a finding.
        const QString dir = PortMap::directoryFromOptionOrEnvironment(r.portsDir);
        const bool mapped = !r.help && !r.version && atPortNumber(r.port) != 0;
        const QString problem =
            mapped && !dir.isEmpty() ? PortMap::directoryProblem(dir) : QString();
        if (!problem.isEmpty()) throw AtUsageError{problem};
        return r;
    } catch (const AtUsageError& error) {
        refusal = unknown(error.message);
        return std::nullopt;
    }
}

}  // namespace

int runCheckCommand(const QStringList& argsAfterCheck) {
    CheckResult refusal;
    const auto request = parse(argsAfterCheck, refusal);
    if (!request) {
        printText(stderr, QStringLiteral("Try 'qel-v check --help'.\n"));
        return finish(refusal);
    }
    if (request->help) {
        printText(stdout, checkHelpText());
        return static_cast<int>(CheckStatus::Ok);
    }
    if (request->version) {
        printText(stdout, QStringLiteral("qel-v check %1.%2.%3\n")
                              .arg(version::kNumbers.major)
                              .arg(version::kNumbers.minor)
                              .arg(version::kNumbers.revision));
        return static_cast<int>(CheckStatus::Ok);
    }
    try {
        AtSession session(request->port, request->portsDir, request->portTargets);
        return finish(exchange(session, *request));
    } catch (const ShutdownRequested&) {
        return finish(unknown(QStringLiteral("interrupted; %1 was released").arg(request->port)));
    }
}

QString checkHelpText() {
    return QStringLiteral(
        "Usage: qel-v check [--ports DIR] [--port COMn=TARGET]... PORT [-w MS] [-c MS]\n"
        "                   [--command AT] [--expect OK]\n"
        "\n"
        "A monitoring plugin (Nagios, Icinga, and every system that runs monitoring\n"
        "plugins): opens PORT, sends COMMAND + CR LF, waits for EXPECT + CR LF and prints\n"
        "one line, such as\n"
        "  QEL-V OK - COM3 answered \"OK\" in 16 ms (Quectel EC25) | "
        "time=0.016s;0.500;2.000;0\n"
        "\n"
        "PORT is COM1 to COM16 (TARGET with --port COMn=TARGET, else the device DIR/comN\n"
        "with --ports DIR, else through $QELV_PORTS, else the machine's serial devices in\n"
        "order), a device path starting with '/', or a serial port behind a terminal\n"
        "server: rfc2217://HOST:PORT or socket://HOST:PORT. A port another program uses\n"
        "is not opened at all.\n"
        "\n"
        "Options:\n"
        "  -w MS           WARNING when the answer takes longer than MS milliseconds\n"
        "  -c MS           CRITICAL when it takes longer; also how long it is waited for\n"
        "                  (default 2000)\n"
        "  --command TEXT  the command to send (default AT)\n"
        "  --expect TEXT   the answer that counts (default OK; while it is OK, an ERROR\n"
        "                  or +CME ERROR also ends the wait)\n"
        "  --settings S    line settings (default 9600,N,8,1)\n"
        "  --ports DIR     COMn is the device DIR/comN (a link or a device node)\n"
        "  --port COMn=TARGET  COMn is TARGET (a device path or a URL), before DIR\n"
        "  -h, --help      show this help\n"
        "  -V, --version   show the version\n"
        "\n"
        "Exit status:\n"
        "  0  OK: the expected answer came within -w (or there is no -w)\n"
        "  1  WARNING: it came, but later than -w\n"
        "  2  CRITICAL: no answer within -c, an ERROR-class answer (ERROR, NO CARRIER,\n"
        "     BUSY ...), no device, or the port did not open\n"
        "  3  UNKNOWN: a bad command line, the port is in use by another program (it is\n"
        "     left alone), or the check was interrupted\n"
        "The performance data is the answer's time in seconds (U when none came), then\n"
        "the warning and critical times.\n");
}

}  // namespace qelv
