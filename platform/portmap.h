#pragma once

#include <QList>
#include <QSerialPortInfo>
#include <QString>

#include <optional>
#include <vector>

namespace qelv {

struct PortDevice {
    QString path;          // as mapped: a device node, or a link to one
    QString description;   // what the system knows of it; empty when nothing
    QString manufacturer;
    QString usbId;         // "vvvv:pppp" for USB devices
};

// Which device stands behind COM1 to COM16.
//
// With a ports directory, the entry DIR/comN (a symbolic link or a device node) is COMn's
// device and a COMn without an entry has none. The directory is read at each lookup, so a
// link that appears or vanishes between surveys is seen.
//
// Without one, COM numbers go in order to the serial devices the system reports: on-board
// UARTs first (ttyS*, in number order), then USB and other serial devices in name order,
// numbers compared as numbers (ttyUSB2 before ttyUSB10).
class PortMap {
public:
    static PortMap fromDirectory(const QString& dir);
    static PortMap fromSystem();
    // Ports directory from `dir`, else from $QELV_PORTS, else the system's devices.
    static PortMap fromOptionOrEnvironment(const QString& dir);
    // COM1 is `path` and no other COMn has a device: for a port named by its path.
    static PortMap single(const QString& path);

    // Cheap: reads the ports directory, asks the system nothing. A mapped entry's
    // description fields are empty; describe() fills them in.
    std::optional<PortDevice> device(int n) const;
    // For the tooltip of the port's row: its device and what the system knows of it, looked
    // up in `known` (QSerialPortInfo::availablePorts(), which is slow: take it once for all
    // sixteen ports).
    QString describe(int n, const QList<QSerialPortInfo>& known) const;

    bool isDirectory() const { return !m_dir.isEmpty(); }
    const QString& directory() const { return m_dir; }

    // Orders device names as the system map does; exposed for tests.
    static bool systemOrderLess(const QString& a, const QString& b);

private:
    QString m_dir;
    std::vector<PortDevice> m_system;
};

}  // namespace qelv
