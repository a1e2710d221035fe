#pragma once

/// \file
/// PortMap, which device stands behind COM1 to COM16.

#include "qelvexport.h"

#include <QString>
#include <QStringList>

#include <map>
#include <optional>
#include <vector>

namespace qelv {

/// The device behind one COM number.
struct PortDevice {
    /// As mapped: a device node, a link to one, or the URL of a serial port behind a terminal
    /// server (rfc2217://HOST:PORT, socket://HOST:PORT; see networktarget.h).
    QString path;
};

/// Which device stands behind COM1 to COM16.
///
/// With a ports directory, the entry DIR/comN (a symbolic link or a device node) is COMn's
/// device and a COMn without an entry has none. A link whose target is a URL (letters, then
/// "://") names a network serial port: a well-formed one is the device, a malformed one makes
/// the COMn have none. The directory is read at each lookup, so a link that appears or
/// vanishes between surveys is seen.
///
/// Without one, COM numbers go in order to a list of the system's serial devices: on-board
/// UARTs first (ttyS*, in number order), then USB and other serial devices in name order,
/// numbers compared as numbers (ttyUSB2 before ttyUSB10). Such a map is one reading of the
/// system; PortDirectory takes a new one at each survey.
///
/// Either way, a COM number given its device by setTarget has that device and no other.
class QELV_EXPORT PortMap {
public:
    /// The ports directory `dir` (the current folder when empty).
    static PortMap fromDirectory(const QString& dir);
    /// From device nodes in any order; past the sixteenth, devices have no COM number.
    static PortMap fromDevices(std::vector<QString> nodes);
    /// The ports directory named by `dir`, else by $QELV_PORTS; empty when neither names one.
    static QString directoryFromOptionOrEnvironment(const QString& dir);
    /// COM1 is `path` and no other COMn has a device: for a port named by its path.
    static PortMap single(const QString& path);

    /// Cheap: reads the ports directory, asks the system nothing and connects to nothing.
    std::optional<PortDevice> device(int n) const;

    /// COMn is `target` (a device path or a network URL) from now on, whatever the ports
    /// directory or the system's list say; an empty target gives COMn back to them. Numbers
    /// outside 1 to 16 are ignored. The target is taken as it is: check a URL first with
    /// parseNetworkTarget.
    void setTarget(int n, const QString& target);
    /// The targets setTarget gave, by COM number.
    std::map<int, QString> targets() const;

    /// Whether the map is a ports directory.
    bool isDirectory() const { return !m_dir.isEmpty(); }
    /// The ports directory; empty for a map of the system's devices.
    const QString& directory() const { return m_dir; }

    /// Orders device names as the system map does; exposed for tests.
    static bool systemOrderLess(const QString& a, const QString& b);

    /// Why `dir` cannot be a ports directory (missing, not a directory, unreadable), in one
    /// line for the user; empty when it can.
    static QString directoryProblem(const QString& dir);
    /// Entries of `dir` that look meant as COM names but are none (COM3, com01, com17).
    static QStringList misnamedEntries(const QString& dir);
    /// Entries comN of `dir` that are links to a malformed URL, each as "comN → TARGET (why)".
    static QStringList malformedTargets(const QString& dir);

private:
    QString m_dir;
    // The system's devices for COM1 onward, then, when setTarget was used, one slot per COM
    // number from index kComPorts on (empty: none). One vector for both keeps the layout of
    // this exported class as it was released.
    std::vector<QString> m_system;
};

}  // namespace qelv
