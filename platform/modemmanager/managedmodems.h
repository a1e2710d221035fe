#pragma once

#include <QString>

#include <chrono>
#include <vector>

namespace qelv {

// One port of a modem that ModemManager manages, as its Ports property lists it.
struct ManagedPort {
    QString name;  // the kernel's name of the device ("ttyUSB2", "cdc-wdm0")
    QString role;  // what ModemManager uses it for: "at", "qcdm", "gps", "net", ...
};

// What ModemManager says of one modem (org.freedesktop.ModemManager1.Modem), as it said it.
struct ManagedModem {
    QString manufacturer;
    QString model;
    QString revision;
    QString equipmentIdentifier;  // the IMEI of a 3GPP modem, the ESN or MEID of a CDMA one
    QString plugin;
    QString state;  // "registered", "connected", ...
    std::vector<ManagedPort> ports;
};

// Where ModemManager is asked, and for how long at most.
struct ModemManagerBus {
    // A D-Bus address ("unix:path=..."); empty: the system bus ($DBUS_SYSTEM_BUS_ADDRESS, else
    // its usual socket).
    QString address;
    // Connecting and asking together take no longer than this; past it nothing is known.
    std::chrono::milliseconds budget{500};
};

// Asks ModemManager over D-Bus for every modem it manages, read only: one GetManagedObjects
// call, which never starts ModemManager when it is not running. Never throws and never waits
// past the budget: without a bus, with ModemManager absent, refusing or silent, the answer is
// that no modem is known.
std::vector<ManagedModem> readManagedModems(const ModemManagerBus& bus = {});

// ModemManager's words for its port types (MMModemPortType) and modem states (MMModemState);
// a number it may add later reads "unknown".
QString managedPortRole(unsigned type);
QString managedModemState(int state);

}  // namespace qelv
