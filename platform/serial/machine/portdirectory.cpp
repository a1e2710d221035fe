#include "portdirectory.h"

namespace qelv {

PortDirectory::PortDirectory(PortMap map, Enumeration enumerate, FactsReader facts)
    : m_map(std::move(map)), m_enumerate(std::move(enumerate)), m_readFacts(std::move(facts)) {
    if (!m_readFacts) m_readFacts = [](const QString& path) { return readDeviceFacts(path); };
}

std::shared_ptr<PortDirectory> PortDirectory::fixed(PortMap map, FactsReader facts) {
    return std::shared_ptr<PortDirectory>(new PortDirectory(std::move(map), {}, std::move(facts)));
}

std::shared_ptr<PortDirectory> PortDirectory::system(Enumeration enumerate, FactsReader facts) {
    if (!enumerate) enumerate = [] { return systemSerialDevices(); };
    std::shared_ptr<PortDirectory> directory(
        new PortDirectory({}, std::move(enumerate), std::move(facts)));
    directory->refresh();
    return directory;
}

std::shared_ptr<PortDirectory> PortDirectory::fromOptionOrEnvironment(const QString& dir) {
    const QString named = PortMap::directoryFromOptionOrEnvironment(dir);
    return named.isEmpty() ? system() : fixed(PortMap::fromDirectory(named));
}

void PortDirectory::refresh() {
    m_facts.clear();
    if (!m_enumerate) return;
    PortMap fresh = PortMap::fromDevices(m_enumerate());
    for (const auto& [n, target] : m_map.targets()) fresh.setTarget(n, target);
    m_map = std::move(fresh);
}

void PortDirectory::setTarget(int n, const QString& target) {
    m_map.setTarget(n, target);
    m_facts.erase(n);
}

std::optional<DeviceFacts> PortDirectory::facts(int n) {
    const auto device = m_map.device(n);
    if (!device) return std::nullopt;
    auto known = m_facts.find(n);
    if (known == m_facts.end()) known = m_facts.emplace(n, m_readFacts(device->path)).first;
    return known->second;
}

}  // namespace qelv
