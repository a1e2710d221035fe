#include "localornetworktransport.h"

#include "networktarget.h"
#include "networktransport.h"

namespace qelv {

LocalOrNetworkTransport::LocalOrNetworkTransport(std::unique_ptr<ByteTransport> local)
    : m_local(std::move(local)), m_active(m_local.get()) {}

LocalOrNetworkTransport::~LocalOrNetworkTransport() {
    m_active->close();
}

void LocalOrNetworkTransport::open(const QString& device, const LineSettings& line,
                                   int handshaking) {
    m_active->close();
    if (looksLikeUrl(device)) {
        if (!m_network) m_network = std::make_unique<NetworkTransport>();
        m_active = m_network.get();
    } else {
        m_active = m_local.get();
    }
    m_active->open(device, line, handshaking);
}

}  // namespace qelv
