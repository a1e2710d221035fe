#pragma once

#include "mdcomm.h"
#include "portdirectory.h"
#include "serialport.h"

#include <functional>
#include <memory>

namespace qelv {

// The parts of a unit on this machine: the kernel's clock, `pump` (the Qt event loop when
// none is given), a serial port looking COM numbers up in `ports`, and the log folder. The
// one place the program's units are built from.
MdcommParts machineParts(std::shared_ptr<const PortDirectory> ports,
                         std::unique_ptr<EventPump> pump = {});

// Makes the global modem-link unit come into being, on first use, over the real clock,
// event loop, serial ports (looking COM numbers up in `ports`) and log folder.
void installUnitFactory(std::shared_ptr<PortDirectory> ports);

// Makes unconfigured serial ports over `ports`, for a survey that opens several at once.
std::function<std::unique_ptr<SerialPort>()> portFactory(std::shared_ptr<PortDirectory> ports);

// Tooltip texts for the ports' name cells: the device and its facts, as --list shows them.
// The facts are those `ports` read since its last refresh.
std::function<QString(int)> portDescriber(std::shared_ptr<PortDirectory> ports);

// The path shown for COMn's device: the node its entry leads to (the node a link names when
// it leads nowhere now), a network URL as it is, or nothing when it has no entry.
std::optional<QString> devicePathFor(const PortMap& map, int port);

}  // namespace qelv
