#include "telnetlink.h"

#include <libtelnet.h>

#include <new>

namespace qelv {

namespace {

// What we answer when the server asks: binary both ways and suppress-go-ahead (what a
// terminal server offers first), the Com Port Control Option on our side only. Anything
// else is refused.
const telnet_telopt_t kOptions[] = {
    {TELNET_TELOPT_BINARY, TELNET_WILL, TELNET_DO},
    {TELNET_TELOPT_SGA, TELNET_WILL, TELNET_DO},
    {comport::kOption, TELNET_WILL, TELNET_DONT},
    {-1, 0, 0},
};

}  // namespace

TelnetLink::TelnetLink(std::function<void(const QByteArray&)> toPeer)
    : m_toPeer(std::move(toPeer)), m_telnet(telnet_init(kOptions, &TelnetLink::onEvent, 0, this)) {
    if (!m_telnet) throw std::bad_alloc();
}

TelnetLink::~TelnetLink() {
    telnet_free(m_telnet);
}

void TelnetLink::start() {
    telnet_negotiate(m_telnet, TELNET_WILL, comport::kOption);
    telnet_negotiate(m_telnet, TELNET_WILL, TELNET_TELOPT_BINARY);
    telnet_negotiate(m_telnet, TELNET_DO, TELNET_TELOPT_BINARY);
}

void TelnetLink::receive(const QByteArray& bytes, QByteArray& data) {
    m_data = &data;
    telnet_recv(m_telnet, bytes.constData(), static_cast<size_t>(bytes.size()));
    m_data = nullptr;
}

void TelnetLink::send(const QByteArray& data) {
    telnet_send(m_telnet, data.constData(), static_cast<size_t>(data.size()));
}

void TelnetLink::sendComPort(const QByteArray& command) {
    telnet_subnegotiation(m_telnet, comport::kOption, command.constData(),
                          static_cast<size_t>(command.size()));
}

int TelnetLink::answers(comport::Command command) const {
    const auto found = m_answers.find(command);
    return found == m_answers.end() ? 0 : found->second;
}

void TelnetLink::onEvent(telnet_t*, telnet_event_t* event, void* self) {
    static_cast<TelnetLink*>(self)->handle(*event);
}

void TelnetLink::handle(const telnet_event_t& event) {
    switch (event.type) {
        case TELNET_EV_DATA:
            if (m_data) m_data->append(event.data.buffer, static_cast<qsizetype>(event.data.size));
            break;
        case TELNET_EV_SEND:
            m_toPeer(QByteArray(event.data.buffer, static_cast<qsizetype>(event.data.size)));
            break;
        case TELNET_EV_DO:
            if (event.neg.telopt == comport::kOption) m_comPort = ComPort::Agreed;
            break;
        case TELNET_EV_DONT:
            if (event.neg.telopt == comport::kOption) m_comPort = ComPort::Asked;
            break;
        case TELNET_EV_SUBNEGOTIATION:
            if (event.sub.telopt != comport::kOption) break;
            if (const auto answer = comport::parseAnswer(
                    QByteArray(event.sub.buffer, static_cast<qsizetype>(event.sub.size))))
                ++m_answers[answer->answers];
            break;
        case TELNET_EV_ERROR:
            m_error = event.error.msg ? QByteArray(event.error.msg) : QByteArrayLiteral("error");
            break;
        default:
            break;
    }
}

}  // namespace qelv
