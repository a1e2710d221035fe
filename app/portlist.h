#pragma once

#include "devicefacts.h"
#include "identity.h"
#include "portdirectory.h"
#include "portuse.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace qelv {

// One mapped COM number as --list shows it.
struct ListedPort {
    int number = 0;
    QString device;  // the path as mapped
    DeviceFacts facts;
    std::optional<PortUse> use;
    DeviceIdentity identity;  // from ModemManager and USB only: nothing is opened
};

using PortUseCheck = std::function<std::optional<PortUse>(const QString& devicePath)>;
using IdentityCheck = std::function<DeviceIdentity(int port)>;

// The mapped ports of `ports` in COM order, with their facts, who else uses them (`use`,
// findPortUse unless given) and what is known of the device (`identity`, nothing unless
// given). Opens no device; only ttys are asked about.
std::vector<ListedPort> listPorts(PortDirectory& ports, const PortUseCheck& use = {},
                                  const IdentityCheck& identity = {});

// One line per port: "COM1  PATH  FACT; FACT; ...", device texts escaped for the terminal,
// names and paths in aligned columns.
QString renderPortList(const std::vector<ListedPort>& ports);

// {"ports": [{"port": "COM1", "device": PATH, "node": PATH, "links": [...], "driver": S,
//   "kind": "uart" | "usb-serial" | "usb-acm" | "virtual" | "other" | "missing",
//   "uart_type": S, "description": S, "manufacturer": S, "usb": "vvvv:pppp", "serial": S,
//   "interface": S, "mm_port_type": S, "console": BOOL,
//   "in_use": null | {"reason": S, "holder": S}, "identity": identityJson}, ...]}
// where S is a string, or null for a fact nobody knows.
QByteArray renderPortListJson(const std::vector<ListedPort>& ports);

}  // namespace qelv
