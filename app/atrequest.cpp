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

bool takeValueOption(AtRequest& r, const QStringList& args, qsizetype& i) {
    using atargs::number;
    using atargs::value;
    QString v;
    if (value(args, i, "--ports", r.portsDir)) return true;
    if (value(args, i, "--expect", r.expect)) return true;
    if (value(args, i, "--port", v)) {
        if (const QString why = addPortTarget(r.portTargets, v); !why.isEmpty())
            throw AtUsageError{why};
    } else if (value(args, i, "--op", v)) {
        r.op = parseOp(v);
    } else if (value(args, i, "--wait", v)) {
        r.waitMs = number<std::int32_t>("--wait", v, 0);
    } else if (value(args, i, "--timeout", v)) {
        r.timeout = std::chrono::milliseconds(number<std::int32_t>("--timeout", v, 1));
    } else if (value(args, i, "--break", v)) {
        r.breakSeconds =
            number<std::int16_t>("--break", v, std::numeric_limits<std::int16_t>::min());
    } else if (value(args, i, "--settings", v)) {
        r.settings = atargs::lineSettings(v);
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

namespace atargs {

void walk(const QStringList& args, const std::function<bool(qsizetype& i)>& option,
          const std::function<void(const QString&)>& positional) {
    bool optionsEnded = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (!optionsEnded && arg == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        const bool isOption = !optionsEnded && arg.size() > 1 && arg.startsWith(u'-');
        if (!isOption)
            positional(arg);
        else if (!option(i))
            throw AtUsageError{QStringLiteral("unknown option: ") + arg};
    }
}

bool value(const QStringList& args, qsizetype& i, const char* name, QString& value) {
    const QString& arg = args.at(i);
    const QLatin1String option(name);
    if (option.size() == 2 && arg.size() > 2 && arg.startsWith(option) && arg.at(2) != u'=') {
        value = arg.mid(2);
        return true;
    }
    QString error;
    const bool taken = takeOptionValue(args, i, option, value, error);
    if (!error.isEmpty()) throw AtUsageError{error};
    return taken;
}

qlonglong wholeNumber(const char* option, const QString& text, qlonglong least, qlonglong most) {
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok);
    if (!ok || value < least || value > most)
        throw AtUsageError{QLatin1String(option) + QStringLiteral(" needs a whole number from ") +
                           QString::number(least) + QStringLiteral(", not ") + text};
    return value;
}

QString lineSettings(const QString& text) {
    if (!parseLineSettings(text))
        throw AtUsageError{QStringLiteral("invalid line settings: ") + text};
    return text;
}

}  // namespace atargs

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
    atargs::walk(
        args, [&](qsizetype& i) { return takeValueOption(r, args, i) || takeFlag(r, args.at(i)); },
        [&](const QString& arg) { takePositional(r, arg); });
    if (!r.help) checkComplete(r);
    return r;
}

}  // namespace qelv
