#include "atrequest.h"

#include "linesettings.h"
#include "networktarget.h"
#include "options.h"
#include "serialport.h"

#include <QRegularExpression>

#include <limits>
#include <utility>

namespace qelv {

namespace {

const std::pair<const char*, AtOp> kOps[] = {{"sendmodem", AtOp::SendModem},
                                             {"sendmodem-notcr", AtOp::SendModemNotCr},
                                             {"reback", AtOp::ReBack},
                                             {"atcret", AtOp::AtcRet},
                                             {"atcinterret", AtOp::AtcInterRet},
                                             {"attrue", AtOp::AtTrue},
                                             {"bufclr", AtOp::BufClr}};

AtOp parseOp(const QString& name) {
    for (const auto& [text, op] : kOps)
        if (name == QLatin1String(text)) return op;
    throw AtUsageError{QStringLiteral("unknown operation: ") + name};
}

template <typename Int>
Int parseNumber(const char* option, const QString& text, Int least) {
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok);
    if (!ok || value < least || value > std::numeric_limits<Int>::max())
        throw AtUsageError{QLatin1String(option) + QStringLiteral(" needs a whole number from ") +
                           QString::number(least) + QStringLiteral(", not ") + text};
    return static_cast<Int>(value);
}

// True when `args[i]` is the option `name`, given as "name=VALUE" or "name VALUE".
bool valueOption(const QStringList& args, qsizetype& i, const char* name, QString& value) {
    QString error;
    const bool taken = takeOptionValue(args, i, QLatin1String(name), value, error);
    if (!error.isEmpty()) throw AtUsageError{error};
    return taken;
}

bool takeValueOption(AtRequest& r, const QStringList& args, qsizetype& i) {
    QString v;
    if (valueOption(args, i, "--ports", r.portsDir)) return true;
    if (valueOption(args, i, "--expect", r.expect)) return true;
    if (valueOption(args, i, "--port", v)) {
        if (const QString why = addPortTarget(r.portTargets, v); !why.isEmpty())
            throw AtUsageError{why};
    } else if (valueOption(args, i, "--op", v)) {
        r.op = parseOp(v);
    } else if (valueOption(args, i, "--wait", v)) {
        r.waitMs = parseNumber<std::int32_t>("--wait", v, 0);
    } else if (valueOption(args, i, "--timeout", v)) {
        r.timeout = std::chrono::milliseconds(parseNumber<std::int32_t>("--timeout", v, 1));
    } else if (valueOption(args, i, "--break", v)) {
        r.breakSeconds =
            parseNumber<std::int16_t>("--break", v, std::numeric_limits<std::int16_t>::min());
    } else if (valueOption(args, i, "--settings", v)) {
        if (!parseLineSettings(v))
            throw AtUsageError{QStringLiteral("invalid line settings: ") + v};
        r.settings = v;
    } else {
        return false;
    }
    return true;
}

bool takeFlag(AtRequest& r, const QString& arg) {
    if (arg == QLatin1String("--no-events"))
        r.noEvents = true;
    else if (arg == QLatin1String("--log"))
        r.log = true;
    else if (arg == QLatin1String("--json"))
        r.json = true;
    else if (arg == QLatin1String("--help") || arg == QLatin1String("-h"))
        r.help = true;
    else
        return false;
    return true;
}

void takePositional(AtRequest& r, const QString& arg) {
    if (!r.port)
        r.port = arg;
    else if (!r.command)
        r.command = arg;
    else
        throw AtUsageError{QStringLiteral("unexpected argument: ") + arg};
}

void checkComplete(const AtRequest& r) {
    if (!r.port) throw AtUsageError{QStringLiteral("no PORT given")};
    atPortNumber(*r.port);
    if (r.op == AtOp::BufClr && r.command)
        throw AtUsageError{QStringLiteral("bufclr sends nothing and takes no COMMAND")};
    if (r.op != AtOp::BufClr && !r.command) throw AtUsageError{QStringLiteral("no COMMAND given")};
    if (r.timeout && r.op != AtOp::AtcRet && r.op != AtOp::AtcInterRet)
        throw AtUsageError{
            QStringLiteral("--timeout is for atcret and atcinterret; the others "
                           "have --wait or a fixed limit")};
}

}  // namespace

std::int16_t atPortNumber(const QString& port) {
    if (port.startsWith(u'/')) return 0;
    if (looksLikeUrl(port)) {
        if (const QString why = targetProblem(port); !why.isEmpty()) throw AtUsageError{why};
        return 0;
    }
    static const QRegularExpression com(QStringLiteral("^COM([0-9]{1,2})$"),
                                        QRegularExpression::CaseInsensitiveOption);
    const auto match = com.match(port);
    const int n = match.hasMatch() ? match.captured(1).toInt() : 0;
    if (n < 1 || n > kComPorts)
        throw AtUsageError{
            QStringLiteral("PORT must be COM1 to COM16, a device path or a network URL, not ") +
            port};
    return static_cast<std::int16_t>(n);
}

AtRequest parseAtRequest(const QStringList& args) {
    AtRequest r;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (!optionsEnded && arg == QLatin1String("--")) {
            optionsEnded = true;
        } else if (!optionsEnded && arg.size() > 1 && arg.startsWith(u'-')) {
            if (!takeValueOption(r, args, i) && !takeFlag(r, arg))
                throw AtUsageError{QStringLiteral("unknown option: ") + arg};
        } else {
            takePositional(r, arg);
        }
    }
    if (!r.help) checkComplete(r);
    return r;
}

}  // namespace qelv
