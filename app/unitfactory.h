#pragma once

#include "portmap.h"
#include "serialport.h"

#include <functional>
#include <memory>

namespace qelv {

// Makes the global modem-link unit come into being, on first use, over the real clock,
// event loop, serial ports (through `map`) and log folder.
void installUnitFactory(const PortMap& map);

// Makes unconfigured serial ports over `map`, for a survey that opens several at once.
std::function<std::unique_ptr<SerialPort>()> portFactory(const PortMap& map);

// Tooltip texts for the ports' name cells. The system is asked what it knows of its serial
// devices once per sweep over the ports (when COM1 is described), not once per port.
std::function<QString(int)> portDescriber(const PortMap& map);

// The path shown for COMn's device: where its entry leads, or nothing when it has none.
std::optional<QString> devicePathFor(const PortMap& map, int port);

}  // namespace qelv
