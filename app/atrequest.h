#pragma once

#include "atverdict.h"
#include "porttargets.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>

namespace qelv {

// One `qel-v at` command line, understood.
struct AtRequest {
    QString portsDir;
    PortTargets portTargets;      // --port COMn=TARGET
    std::optional<QString> port;  // COMn, a device path or a network URL
    std::optional<QString> command;
    QString settings = QStringLiteral("9600,N,8,1");
    AtOp op = AtOp::SendModem;
    std::int32_t waitMs = 2000;
    QString expect = QStringLiteral("OK");
    std::int16_t breakSeconds = 0;
    // atcret and atcinterret only; the unit's own collection has no time limit.
    std::optional<std::chrono::milliseconds> timeout;
    bool noEvents = false;
    bool log = false;
    bool json = false;
    bool help = false;
};

// A command line that cannot be run; the message is for the user.
struct AtUsageError {
    QString message;
};

// The command-line grammar `qel-v at` and `qel-v check` share; each throws AtUsageError for
// what it cannot take.
namespace atargs {
// Walks `args`: "--" ends the options; an argument that starts with '-' goes to `option`,
// which moves i past any value it takes and returns false for an option it does not know;
// anything else goes to `positional`.
void walk(const QStringList& args, const std::function<bool(qsizetype& i)>& option,
          const std::function<void(const QString&)>& positional);
// Whether args[i] is the value option `name`, given as "name=VALUE" or "name VALUE" (a
// one-letter option also as "-wVALUE", as getopt has it); the value goes to `value`.
bool value(const QStringList& args, qsizetype& i, const char* name, QString& value);
// A whole number from `least` up to the most `Int` holds, as `option`'s value.
qlonglong wholeNumber(const char* option, const QString& text, qlonglong least, qlonglong most);
template <typename Int>
Int number(const char* option, const QString& text, Int least) {
    return static_cast<Int>(wholeNumber(option, text, least, std::numeric_limits<Int>::max()));
}
// Line settings ("9600,N,8,1") that parse.
QString lineSettings(const QString& text);
}  // namespace atargs

// Parses the arguments after "at". Throws AtUsageError for anything not understood, a
// missing PORT or COMMAND, a value out of range, or an option the operation does not take.
AtRequest parseAtRequest(const QStringList& args);

// 1 to 16 for COMn, 0 for a device path or a well-formed network URL. Throws AtUsageError
// for anything else, a malformed URL named with what is wrong with it.
std::int16_t atPortNumber(const QString& port);

}  // namespace qelv
