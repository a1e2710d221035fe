#pragma once

#include "porttargets.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>

namespace qelv {

// One `qel-v check` command line, understood.
struct CheckRequest {
    QString portsDir;
    PortTargets portTargets;  // --port COMn=TARGET
    QString port;             // COMn, a device path or a network URL
    QString command = QStringLiteral("AT");
    QString expect = QStringLiteral("OK");
    QString settings = QStringLiteral("9600,N,8,1");
    std::optional<std::chrono::milliseconds> warning;  // -w
    // -c: also how long the answer is waited for.
    std::chrono::milliseconds critical = kDefaultCritical;
    bool help = false;
    bool version = false;

    // The survey's own limit for an answer.
    static constexpr std::chrono::milliseconds kDefaultCritical{2000};
};

// Parses the arguments after "check". Throws AtUsageError (atrequest.h) for anything not
// understood: an unknown option, a missing or second PORT, a time that is no whole number of
// milliseconds from 1 up, a warning time above the critical one, an empty --command or
// --expect, line settings that do not parse.
CheckRequest parseCheckRequest(const QStringList& args);

}  // namespace qelv
