#pragma once

#include "report.h"

#include <QStringList>

namespace qelv::bench {

// The window (offscreen) surveying one flooding device among five of the modem simulator's,
// beside the same survey run as --text runs it (in-memory widgets), each in a child process
// of its own, one after the other on the same devices: the wall time of each, how late a
// timer fired during the window's survey, and, after it, a resize, a repaint and a tooltip
// of the grid with the flood's megabyte in one of its cells. Adds its rows to `report`.
void windowFloodFigures(Report& report);

// The child side: --window-flood-probe window|text DIR. Prints one key=value line.
int runWindowFloodProbe(const QStringList& args, int argc, char** argv);

}  // namespace qelv::bench
