#pragma once

#include "porttargets.h"

#include <QString>
#include <QStringList>

namespace qelv {

enum class RunMode { Window, Survey, Demo, List, ReadLog, Help, Version };

// How a survey (of the ports or of the demo's bench) or the port list is shown.
enum class Output { Window, Text, Json, Metrics };

struct Options {
    RunMode mode = RunMode::Window;
    Output output = Output::Window;
    QString portsDir;       // empty: $QELV_PORTS, else the system's devices
    bool parallel = false;  // the AT passes talk to all their ports at once
    bool identify = false;  // a step after the passes asks each device who it is
    QString logFile;        // for --read-log
    QString outputFile;     // --output: written whole in place of this file; empty: stdout
    QString error;          // set when the command line is not understood
    // --port COMn=TARGET: before the ports directory and the system's devices
    PortTargets portTargets;
};

// Whether args[i] is the option `name`, given as "name=VALUE" or "name VALUE"; in the second
// form i moves past the value. A missing value is reported in `error`.
bool takeOptionValue(const QStringList& args, qsizetype& i, const QString& name, QString& value,
                     QString& error);

// Parses the program's arguments (without the program name). Modes never override each
// other: --demo goes with --text or --json (the bench shown that way), --list with --json;
// any other two modes, or --ports with a mode that maps no ports of the machine, are an
// error naming the two options. --help and --version win over any mode, not over an argument
// that is not understood, wherever it stands.
Options parseOptions(const QStringList& arguments);

QString helpText();
QString versionText();

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

}  // namespace qelv
