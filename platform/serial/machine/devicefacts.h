#pragma once

/// \file
/// What the system knows of a serial device, read without opening it.

#include "qelvexport.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace qelv {

/// What kind of device a mapped path leads to.
enum class DeviceKind {
    Uart,       ///< a UART of the serial core (ttyS*, ttyAMA*, ...), on the board or a card
    UsbSerial,  ///< a USB serial converter (ttyUSB*)
    UsbAcm,     ///< a USB modem of the communications class (ttyACM*)
    Virtual,    ///< a pseudo-terminal or a virtual console: no hardware behind it
    Other,      ///< anything else that exists: another tty driver, a FIFO, a plain file
    Missing,    ///< nothing is there (a dangling link)
    Network,    ///< a serial port behind a terminal server, named by its URL
};

/// The word for `kind` in machine-readable output ("uart", "usb-serial", ...).
QELV_EXPORT QString deviceKindName(DeviceKind kind);

/// What sysfs and the file system say of a device, gathered without opening it.
struct SysfsTty {
    bool exists = false;          ///< something is there
    bool charDevice = false;      ///< it is a character device
    int major = -1;               ///< its major device number; -1 for no character device
    QString name;                 ///< the kernel's name in class tty ("ttyUSB0"); empty if none
    bool hasHardware = false;     ///< the tty has a device/ link (a driver behind it)
    QString driver;               ///< the driver that binds the hardware
    std::optional<int> portType;  ///< the serial core's PORT_* number, for UARTs
    bool console = false;         ///< the kernel console writes to it
};

/// Properties udev keeps for a device (ID_MODEL, ID_VENDOR_ID, DEVLINKS, ...).
using UdevProperties = QHash<QString, QString>;

/// Everything known of one device, for `--list` and the port tooltips.
struct DeviceFacts {
    QString node;  ///< where the mapped path leads (the path itself if it leads nowhere)
    QString name;  ///< kernel name, empty when the kernel lists no tty there
    DeviceKind kind = DeviceKind::Missing;  ///< what kind of device it is
    QString uartType;   ///< "16550A", ... for a UART; "unknown" when the core found none there
    QString driver;     ///< the USB driver as udev names it, else the one that binds the hardware;
                        ///< for a network port its protocol
    QStringList links;  ///< the /dev/serial/by-id and by-path links that lead to the node
    QString description;      ///< the model, as udev names it
    QString manufacturer;     ///< the vendor, as udev names it
    QString usbId;            ///< "vvvv:pppp"
    QString serial;           ///< the device's serial number, as udev has it
    QString interfaceNumber;  ///< the USB interface of a multi-port adapter ("00", "02")
    QString mmPortType;       ///< ModemManager's hint (AT, QCDM, GPS, ...)
    bool console = false;     ///< the kernel console writes to it
};

/// The serial core's name for a PORT_* number ("16550A"); "PORT_n" for one not in the table,
/// "unknown" for 0 (the core registered the line but found no UART).
QELV_EXPORT QString uartTypeName(int portType);

/// The kind of device `tty` describes.
QELV_EXPORT DeviceKind classifyDevice(const SysfsTty& tty);

/// Puts the two sources together; udev may know nothing (empty map).
QELV_EXPORT DeviceFacts factsFrom(const QString& node, const SysfsTty& tty,
                                  const UdevProperties& udev);

/// Where facts are read; tests point these at trees and tables of their own.
struct DeviceFactsSources {
    QString sysRoot = QStringLiteral("/sys");                       ///< where sysfs is mounted
    std::function<UdevProperties(const QString& kernelName)> udev;  ///< empty: libudev
};

/// The sysfs side for `path` (followed through links): stat, readlink and small reads of
/// sysfs attributes only. Never opens the device.
QELV_EXPORT SysfsTty readSysfsTty(const QString& path, const QString& sysRoot);

/// The facts of a network serial port, from its URL alone (nothing is looked up or
/// connected): the URL as its node, kind Network, the protocol ("rfc2217" or "socket") as its
/// driver.
QELV_EXPORT DeviceFacts networkFacts(const QString& url);

/// The facts of the device that `path` leads to (networkFacts for a URL). Never opens the
/// device.
QELV_EXPORT DeviceFacts readDeviceFacts(const QString& path,
                                        const DeviceFactsSources& sources = {});

/// The device nodes of the system's serial devices: ttys with hardware behind them, minus the
/// lines the serial core registers where it found no UART. In no particular order.
QELV_EXPORT std::vector<QString> systemSerialDevices(const DeviceFactsSources& sources = {});

/// What udev knows of the tty `kernelName`; empty when udev is not there or knows nothing.
QELV_EXPORT UdevProperties udevPropertiesOf(const QString& kernelName);

}  // namespace qelv
