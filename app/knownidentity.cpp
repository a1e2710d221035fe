#include "knownidentity.h"

#include <QFileInfo>

namespace qelv {

namespace {

bool hasHardware(DeviceKind kind) {
    return kind == DeviceKind::Uart || kind == DeviceKind::UsbSerial || kind == DeviceKind::UsbAcm;
}

}  // namespace

KnownIdentities::KnownIdentities(std::shared_ptr<PortDirectory> ports, ModemReader read)
    : m_ports(std::move(ports)), m_read(std::move(read)) {
    if (!m_read) m_read = [] { return readManagedModems(); };
}

DeviceIdentity KnownIdentities::of(int n) {
    const auto facts = m_ports->facts(n);
    if (!facts) return {};
    DeviceIdentity identity;
    if (hasHardware(facts->kind)) {
        if (!m_modems) m_modems = m_read();
        const QString name = QFileInfo(facts->node).fileName();
        for (const ManagedModem& modem : *m_modems)
            for (const ManagedPort& port : modem.ports)
                if (!name.isEmpty() && port.name == name)
                    identity = identityFromManager(modem, port.name);
    }
    fillIdentity(identity, identityFromUsb(*facts));
    return identity;
}

DeviceIdentity identityFromManager(const ManagedModem& modem, const QString& portName) {
    const auto field = [](const QString& value) {
        return namedIdentityField(value, IdentitySource::ModemManager);
    };
    DeviceIdentity identity;
    identity.manufacturer = field(modem.manufacturer);
    identity.model = field(modem.model);
    identity.revision = field(modem.revision);
    identity.serial = field(modem.equipmentIdentifier);
    identity.plugin = namedIdentityField(modem.plugin, IdentitySource::ModemManager).value;
    identity.state = namedIdentityField(modem.state, IdentitySource::ModemManager).value;
    for (const ManagedPort& port : modem.ports)
        if (port.name == portName)
            identity.portRole = namedIdentityField(port.role, IdentitySource::ModemManager).value;
    return identity;
}

DeviceIdentity identityFromUsb(const DeviceFacts& facts) {
    DeviceIdentity identity;
    if (facts.kind != DeviceKind::UsbSerial && facts.kind != DeviceKind::UsbAcm) return identity;
    identity.manufacturer = namedIdentityField(facts.manufacturer, IdentitySource::Usb);
    identity.model = namedIdentityField(facts.description, IdentitySource::Usb);
    identity.serial = namedIdentityField(facts.serial, IdentitySource::Usb);
    return identity;
}

}  // namespace qelv
