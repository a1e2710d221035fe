#include "atsession.h"

#include "atport.h"
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
    openAtPort(m_unit->MSComm1, m_port, settings);
}

}  // namespace qelv
