#include "checkrequest.h"

#include "atrequest.h"

namespace qelv {

namespace {

std::chrono::milliseconds milliseconds(const char* option, const QString& text) {
    return std::chrono::milliseconds(atargs::number<std::int32_t>(option, text, 1));
}

bool takeValueOption(CheckRequest& r, const QStringList& args, qsizetype& i) {
    using atargs::value;
    QString v;
    if (value(args, i, "--ports", r.portsDir)) return true;
    if (value(args, i, "--command", r.command)) return true;
    if (value(args, i, "--port", v)) {
        if (const QString why = addPortTarget(r.portTargets, v); !why.isEmpty())
            throw AtUsageError{why};
        return true;
    }
    if (value(args, i, "--expect", r.expect)) return true;
    if (value(args, i, "-w", v)) {
        r.warning = milliseconds("-w", v);
    } else if (value(args, i, "-c", v)) {
        r.critical = milliseconds("-c", v);
    } else if (value(args, i, "--settings", v)) {
        r.settings = atargs::lineSettings(v);
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
    atargs::walk(
        args, [&](qsizetype& i) { return takeValueOption(r, args, i) || takeFlag(r, args.at(i)); },
        [&](const QString& arg) {
            if (!r.port.isEmpty())
                throw AtUsageError{QStringLiteral("unexpected argument: ") + arg};
            r.port = arg;
        });
    if (!r.help && !r.version) checkComplete(r);
    return r;
}

}  // namespace qelv
