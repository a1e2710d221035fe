#pragma once

#include "portmap.h"

namespace qelv {

// Makes the global modem-link unit come into being, on first use, over the real clock,
// event loop, serial ports (through `map`) and log folder.
void installUnitFactory(const PortMap& map);

// The path shown for COMn's device: where its entry leads, or nothing when it has none.
std::optional<QString> devicePathFor(const PortMap& map, int port);

}  // namespace qelv
