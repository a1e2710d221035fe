#pragma once

#include "gridcells.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

namespace qelv {

// What is known of COMn's device for the output: its path, or nothing.
using DeviceLookup = std::function<std::optional<QString>(int port)>;

// The final grid as an aligned table for a terminal: one line per row, every device text
// escaped (escapeForTerminal). A cell that failed its check shows "×". Under the table, one
// note per port that did not open, saying why.
QString renderTable(const GridCells& cells);

// The final grid as one JSON object:
// {"rows": [{"row": 1, "port": "COM1", "device": "/dev/..." | null,
//            "open": CELL, "at": CELL, "info": CELL}, ...]}
// CELL is {"text": "...", "mark": "pass" | "fail" | null}; the open cell of a port that did
// not open also has "error": why. Texts are exact, CR and LF included.
QByteArray renderJson(const GridCells& cells, const DeviceLookup& device);

}  // namespace qelv
