#include "atsession.h"

#include "atrequest.h"
#include "unitfactory.h"

namespace qelv {

AtSession::AtSession(const QString& port, const QString& portsDir, const PortTargets& targets)
    : m_port(port) {
    const std::int16_t n = atPortNumber(port);
    // A device path or a URL is COM1 of a map of its own.
    m_ports = n == 0 ? PortDirectory::fixed(PortMap::single(port)) : mappedPorts(portsDir, targets);
    m_number = n == 0 ? 1 : n;
    m_unit = std::make_unique<Mdcomm>(machineParts(m_ports));
    m_unit->MSComm1.setCommPort(m_number);
}

AtSession::~AtSession() {
    closeQuietly(m_unit->MSComm1);
}

void AtSession::open(const QString& settings) {
    SerialPort& port = m_unit->MSComm1;
    port.setSettings(settings);
    port.setDTREnable(true);
    port.setRTSEnable(true);
    port.setHandshaking(0);
    try {
        port.setPortOpen(true);
    } catch (const ModemError& error) {
        QString shown = m_port;
        const QString device = port.devicePath();
        if (!device.isEmpty() && device != shown) shown += QStringLiteral(" (") + device + u')';
        throw ModemError(error.number(),
                         QStringLiteral("ポートを開けません: %1: %2").arg(shown, error.message()),
                         error.openFailure());
    }
}

}  // namespace qelv
