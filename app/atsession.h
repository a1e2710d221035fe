#pragma once

#include "devicefacts.h"
#include "mdcomm.h"
#include "portdirectory.h"
#include "porttargets.h"

#include <QString>

#include <memory>
#include <optional>

namespace qelv {

// One port for one command line (`qel-v at`, `qel-v check`): a unit of its own over the
// machine's clock, the Qt event loop and the port PORT names. The port is released however
// the session ends, a request to end included.
class AtSession {
public:
    // PORT is COMn (through `targets`, else `portsDir`, else $QELV_PORTS, else the system's
    // ports), a device path or a network URL; parseAtRequest and parseCheckRequest have
    // checked it. Opens nothing, connects to nothing.
    AtSession(const QString& port, const QString& portsDir, const PortTargets& targets = {});
    ~AtSession();
    AtSession(const AtSession&) = delete;
    AtSession& operator=(const AtSession&) = delete;

    Mdcomm& unit() { return *m_unit; }

    // Opens the port at `settings` with DTR and RTS on and no flow control, after the checks
    // that leave a port another program uses alone. Throws ModemError (its OpenFailure kept)
    // whose message names the port, and its device when that differs, in the user's words.
    void open(const QString& settings);

    // What the system knows of the port's device (as --list shows it), read without opening
    // it; nothing when PORT leads to no device.
    std::optional<DeviceFacts> facts() { return m_ports->facts(m_number); }

private:
    QString m_port;
    std::shared_ptr<PortDirectory> m_ports;
    std::int16_t m_number = 1;
    std::unique_ptr<Mdcomm> m_unit;
};

}  // namespace qelv
