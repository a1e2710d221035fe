#pragma once

#include "comportoption.h"

#include <QByteArray>

#include <functional>
#include <map>

struct telnet_t;
union telnet_event_t;

namespace qelv {

// The telnet side of an RFC 2217 connection, over libtelnet: option negotiation, IAC escaping
// of 0xFF in both directions, and the Com Port Control Option's answers. Pure: bytes from the
// peer go in through receive(), bytes for the peer come out through the function given; the
// socket is the caller's.
class TelnetLink {
public:
    // Where the option is between us and the server. libtelnet reports no refusal of an
    // option we asked for; a server that refuses never agrees.
    enum class ComPort { Asked, Agreed };

    // `toPeer` gets every byte for the peer, in order, while the calls below run.
    explicit TelnetLink(std::function<void(const QByteArray&)> toPeer);
    ~TelnetLink();
    TelnetLink(const TelnetLink&) = delete;
    TelnetLink& operator=(const TelnetLink&) = delete;

    // Offers the Com Port Control Option and binary transmission both ways: without binary
    // mode a telnet peer may add a NUL after every CR.
    void start();
    // Takes bytes from the peer; the device's data among them is appended to `data`.
    void receive(const QByteArray& bytes, QByteArray& data);
    // Sends the device's data, each 0xFF doubled.
    void send(const QByteArray& data);
    // Sends one Com Port Control Option command (comport::command and friends).
    void sendComPort(const QByteArray& command);

    ComPort comPort() const { return m_comPort; }
    // How many answers to `command` the server has sent so far.
    int answers(comport::Command command) const;
    // The peer broke the protocol beyond repair (libtelnet's error); its message, else empty.
    const QByteArray& protocolError() const { return m_error; }

private:
    static void onEvent(telnet_t* telnet, telnet_event_t* event, void* self);
    void handle(const telnet_event_t& event);

    std::function<void(const QByteArray&)> m_toPeer;
    telnet_t* m_telnet = nullptr;
    QByteArray* m_data = nullptr;  // where receive() puts data while it runs
    ComPort m_comPort = ComPort::Asked;
    std::map<comport::Command, int> m_answers;
    QByteArray m_error;
};

}  // namespace qelv
