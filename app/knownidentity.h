#pragma once

#include "identity.h"
#include "managedmodems.h"
#include "portdirectory.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace qelv {

// What is known of each mapped port's device without opening it: what ModemManager says of
// the modem that port belongs to (matched by the kernel's name of the device, as ModemManager
// lists its ports), then the USB device's own descriptors as udev keeps them.
class KnownIdentities {
public:
    using ModemReader = std::function<std::vector<ManagedModem>()>;

    // `read` empty: readManagedModems on the system bus.
    explicit KnownIdentities(std::shared_ptr<PortDirectory> ports, ModemReader read = {});

    // Forgets what ModemManager said; it is asked again when next needed.
    void refresh() { m_modems.reset(); }
    // COMn's device. ModemManager is asked once between refreshes, and only for a device
    // with hardware behind it: it never manages a pseudo-terminal.
    DeviceIdentity of(int n);

private:
    std::shared_ptr<PortDirectory> m_ports;
    ModemReader m_read;
    std::optional<std::vector<ManagedModem>> m_modems;
};

// ModemManager's word on a modem, for the port of it named `portName`.
DeviceIdentity identityFromManager(const ManagedModem& modem, const QString& portName);
// The USB facts of a USB device; nothing for any other kind.
DeviceIdentity identityFromUsb(const DeviceFacts& facts);

}  // namespace qelv
