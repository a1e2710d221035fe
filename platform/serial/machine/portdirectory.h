#pragma once

/// \file
/// PortDirectory, the one map of COM numbers to devices.

#include "devicefacts.h"
#include "portmap.h"
#include "qelvexport.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace qelv {

/// The one map of COM numbers to devices that a survey, the port tooltips, the JSON output,
/// `qel-v at` and `--list` share (hold it by shared_ptr). refresh() reads it afresh, once at
/// the start of each survey: without a ports directory the system's devices are enumerated
/// again, so an adapter plugged after the start is surveyed at the next button press and a
/// pulled one is gone. A ports directory is read at each lookup anyway (PortMap); what
/// refresh() renews for it are the facts.
class QELV_EXPORT PortDirectory {
public:
    /// The system's serial device nodes, in any order.
    using Enumeration = std::function<std::vector<QString>()>;
    /// The facts of the device at `path`; empty: readDeviceFacts.
    using FactsReader = std::function<DeviceFacts(const QString& path)>;

    /// A directory that never changes: the map is `map` for good.
    static std::shared_ptr<PortDirectory> fixed(PortMap map, FactsReader facts = {});
    /// The system's devices, enumerated now and at each refresh().
    static std::shared_ptr<PortDirectory> system(Enumeration enumerate = {},
                                                 FactsReader facts = {});
    /// `dir` when given, else $QELV_PORTS, else the system's devices.
    static std::shared_ptr<PortDirectory> fromOptionOrEnvironment(const QString& dir);

    /// Forgets the facts read so far and, without a ports directory, enumerates the system's
    /// devices again. Targets given by setTarget stay.
    void refresh();
    /// COMn is `target` (a device path or a network URL) from now on, through every
    /// refresh; see PortMap::setTarget.
    void setTarget(int n, const QString& target);
    /// The map as of the last refresh.
    const PortMap& map() const { return m_map; }
    /// What is known of COMn's device, read at most once between two refreshes; nothing for
    /// a COMn without a device.
    std::optional<DeviceFacts> facts(int n);

private:
    PortDirectory(PortMap map, Enumeration enumerate, FactsReader facts);

    PortMap m_map;
    Enumeration m_enumerate;
    FactsReader m_readFacts;
    std::map<int, DeviceFacts> m_facts;
};

}  // namespace qelv
