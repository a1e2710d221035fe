#include "checkrequest.h"

#include "atrequest.h"
#include "linesettings.h"
#include "options.h"

#include <limits>

namespace qelv {

namespace {

std::chrono::milliseconds parseMs(const QString& option, const QString& text) {
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok);
    if (!ok || value < 1 || value > std::numeric_limits<std::int32_t>::max())
        throw AtUsageError{option +
                           QStringLiteral(" needs a whole number of milliseconds from 1, "
                                          "not ") +
                           text};
    return std::chrono::milliseconds(value);
}

bool valueOption(const QStringList& args, qsizetype& i, const char* name, QString& value) {
    // Short options also take their value attached, as plugins' getopt does: -w500.
    const QString& arg = args.at(i);
    const QLatin1String option(name);
    if (option.size() == 2 && arg.size() > 2 && arg.startsWith(option) && arg.at(2) != u'=') {
        value = arg.mid(2);
        return true;
    }
    QString error;
    const bool taken = takeOptionValue(args, i, QLatin1String(name), value, error);
    if (!error.isEmpty()) throw AtUsageError{error};
    return taken;
}

bool takeValueOption(CheckRequest& r, const QStringList& args, qsizetype& i) {
    QString v;
    if (valueOption(args, i, "--ports", r.portsDir)) return true;
    if (valueOption(args, i, "--command", r.command)) return true;
    if (valueOption(args, i, "--expect", r.expect)) return true;
    if (valueOption(args, i, "-w", v)) {
        r.warning = parseMs(QStringLiteral("-w"), v);
    } else if (valueOption(args, i, "-c", v)) {
        r.critical = parseMs(QStringLiteral("-c"), v);
        r.criticalGiven = true;
    } else if (valueOption(args, i, "--settings", v)) {
        if (!parseLineSettings(v))
            throw AtUsageError{QStringLiteral("invalid line settings: ") + v};
        r.settings = v;
    } else {
        return false;
    }
    return true;
}

bool takeFlag(CheckRequest& r, const QString& arg) {
    if (arg == QLatin1String("-h") || arg == QLatin1String("--help"))
        r.help = true;
    else if (arg == QLatin1String("-V") || arg == QLatin1String("--version"))
        r.version = true;
    else
        return false;
    return true;
}

void checkComplete(const CheckRequest& r) {
    if (r.port.isEmpty()) throw AtUsageError{QStringLiteral("no PORT given")};
    atPortNumber(r.port);
    if (r.command.isEmpty()) throw AtUsageError{QStringLiteral("--command is empty")};
    if (r.expect.isEmpty()) throw AtUsageError{QStringLiteral("--expect is empty")};
    if (r.warning && *r.warning > r.critical)
        throw AtUsageError{QStringLiteral("-w %1 is above the critical time, %2 ms")
                               .arg(r.warning->count())
                               .arg(r.critical.count())};
}

}  // namespace

CheckRequest parseCheckRequest(const QStringList& args) {
    CheckRequest r;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (!optionsEnded && arg == QLatin1String("--")) {
            optionsEnded = true;
        } else if (!optionsEnded && arg.size() > 1 && arg.startsWith(u'-')) {
            if (!takeValueOption(r, args, i) && !takeFlag(r, arg))
                throw AtUsageError{QStringLiteral("unknown option: ") + arg};
        } else if (r.port.isEmpty()) {
            r.port = arg;
        } else {
            throw AtUsageError{QStringLiteral("unexpected argument: ") + arg};
        }
    }
    if (!r.help && !r.version) checkComplete(r);
    return r;
}

}  // namespace qelv
