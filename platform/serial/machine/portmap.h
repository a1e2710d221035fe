#pragma once

/// \file
/// PortMap, which device stands behind COM1 to COM16.

#include "qelvexport.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace qelv {

/// The device behind one COM number.
struct PortDevice {
    QString path;  ///< as mapped: a device node, or a link to one
};

/// Which device stands behind COM1 to COM16.
///
/// With a ports directory, the entry DIR/comN (a symbolic link or a device node) is COMn's
/// device and a COMn without an entry has none. The directory is read at each lookup, so a
/// link that appears or vanishes between surveys is seen.
///
/// Without one, COM numbers go in order to a list of the system's serial devices: on-board
/// UARTs first (ttyS*, in number order), then USB and other serial devices in name order,
/// numbers compared as numbers (ttyUSB2 before ttyUSB10). Such a map is one reading of the
/// system; PortDirectory takes a new one at each survey.
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

    /// Cheap: reads the ports directory, asks the system nothing.
    std::optional<PortDevice> device(int n) const;

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

private:
    QString m_dir;
    std::vector<QString> m_system;
};

}  // namespace qelv
