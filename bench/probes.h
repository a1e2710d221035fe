#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <map>
#include <optional>

namespace qelv::bench {

struct WindowTimes {
    double builtMs = 0;   // the window and its widgets constructed
    double loadedMs = 0;  // Form_Load done
    double shownMs = 0;   // shown, exposed, and its first paint done
    bool shown = false;
};

// Builds the main window and its form as the program does, shows it, and runs the event loop
// until the window is exposed and has painted once. Times are from the call. Needs a
// QApplication.
WindowTimes measureWindowShown();

// Milliseconds from this process's exec to now, as far as /proc tells (clock ticks,
// usually 10 ms); nullopt when it cannot be read.
std::optional<double> msSinceExec();

// The child side of the runs that need a process of their own; each prints one line of
// key=value figures and returns the exit status.
//   --window-probe                     main() to window shown, on whatever display there is
//   --flood-probe project|busy DIR N   one 2000 ms exchange with DIR/comN, peak memory
int runWindowProbe(double mainStartMs, int argc, char** argv);
int runFloodProbe(const QStringList& args, int argc, char** argv);

// Runs this program again with `args` (under `wrapper` when given) and parses its last
// key=value line; nullopt when it could not run or printed none.
std::optional<std::map<QString, double>> runChild(const QStringList& args,
                                                  const QStringList& wrapper,
                                                  const QString& platform, int timeoutMs,
                                                  QString* why);

// Time from writing `command` to the device at `path` until `stop` has arrived, read
// directly from the device without any of the program's code; negative on failure.
double rawReplyMs(const QString& path, const QByteArray& command, const QByteArray& stop);

}  // namespace qelv::bench
