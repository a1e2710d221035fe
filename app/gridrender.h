#pragma once

#include "gridcells.h"
#include "identity.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

namespace qelv {

// What is known of COMn's device for the output: its path, or nothing.
using DeviceLookup = std::function<std::optional<QString>(int port)>;
// What is known of COMn's device (identity), for the output; may be empty.
using IdentityLookup = std::function<DeviceIdentity(int port)>;

// The grid as an aligned table for a terminal: one line per row, the port's device path
// beside its name, every text escaped (escapeForTerminal). A cell that failed its check shows
// "×". A table wider than `width` terminal columns (0: any width) is narrowed to fit, its
// longest cells shortened with a mark (alignedTable). Under the table, one note per reason a
// port did not open or a check failed, naming the ports, with the reply that failed the check
// (never shortened); one line per port whose device is known (identityLines); and, for a
// survey that did not complete, a line saying so.
QString renderTable(const GridCells& cells, const DeviceLookup& device, bool complete,
                    int width = 0, const IdentityLookup& identity = {});

// The grid as one JSON object on one line:
// {"complete": true | false,
//  "rows": [{"row": 1, "port": "COM1", "device": "/dev/..." | null,
//            "open": CELL, "at": CELL, "info": CELL, "identity": identityJson}, ...]}
// CELL is {"text": "...", "mark": "pass" | "fail" | null}; a failed cell also has "error":
// why, and a failed at or info cell "reply": what the device said (may be empty). Texts are
// exact, CR and LF included. "complete" is false for a survey that was interrupted.
QByteArray renderJson(const GridCells& cells, const DeviceLookup& device, bool complete,
                      const IdentityLookup& identity = {});

}  // namespace qelv
