#include "devicefacts.h"

#include "networktarget.h"

#include <QRegularExpression>

#include <array>

namespace qelv {

namespace {

// linux/serial.h and linux/serial_core.h; the numbers are kernel ABI and do not move.
// clang-format off
constexpr std::array<const char*, 33> kPortTypes = {
    "unknown", "8250", "16450", "16550", "16550A", "CIRRUS", "16650", "16650V2", "16750",
    "STARTECH", "16C950", "16654", "16850", "RSA", "NS16550A", "XSCALE", "RM9000", "OCTEON",
    "AR7", "U6_16550A", "TEGRA", "XR17D15X", "LPC3220", "8250_CIR", "XR17V35X",
    "BRCM_TRUMANAGE", "ALTR_16550_F32", "ALTR_16550_F64", "ALTR_16550_F128", "RT2880",
    "16550A_FSL64", "PXA", "AMBA"};
// clang-format on

// Pseudo-terminal slaves (UNIX98_PTY_SLAVE_MAJOR and the seven after it); sysfs lists none.
bool isPtySlaveMajor(int major) {
    return major >= 136 && major <= 143;
}

bool nameIs(const QString& name, const char* pattern) {
    return QRegularExpression(QRegularExpression::anchoredPattern(QLatin1String(pattern)))
        .match(name)
        .hasMatch();
}

QString usbIdFrom(const UdevProperties& udev) {
    const QString vendor = udev.value(QStringLiteral("ID_VENDOR_ID"));
    const QString model = udev.value(QStringLiteral("ID_MODEL_ID"));
    if (vendor.isEmpty() || model.isEmpty()) return {};
    return vendor.toLower() + u':' + model.toLower();
}

// udev escapes blanks as "\x20" in ID_MODEL; the database name reads better anyway.
QString firstOf(const UdevProperties& udev, std::initializer_list<const char*> keys) {
    for (const char* key : keys) {
        const QString value = udev.value(QLatin1String(key)).trimmed();
        if (!value.isEmpty()) return value;
    }
    return {};
}

QString mmPortTypeFrom(const UdevProperties& udev) {
    QStringList types;
    for (auto it = udev.cbegin(); it != udev.cend(); ++it)
        if (it.key().startsWith(QLatin1String("ID_MM_PORT_TYPE_")) && it.value() == u'1')
            types << it.key().mid(16);
    types.sort();
    return types.join(u',');
}

QStringList serialLinksFrom(const UdevProperties& udev) {
    QStringList links;
    for (const QString& link :
         udev.value(QStringLiteral("DEVLINKS")).split(u' ', Qt::SkipEmptyParts))
        if (link.startsWith(QLatin1String("/dev/serial/"))) links << link;
    links.sort();
    return links;
}

}  // namespace

QString deviceKindName(DeviceKind kind) {
    switch (kind) {
        case DeviceKind::Uart:
            return QStringLiteral("uart");
        case DeviceKind::UsbSerial:
            return QStringLiteral("usb-serial");
        case DeviceKind::UsbAcm:
            return QStringLiteral("usb-acm");
        case DeviceKind::Virtual:
            return QStringLiteral("virtual");
        case DeviceKind::Other:
            return QStringLiteral("other");
        case DeviceKind::Missing:
            return QStringLiteral("missing");
        case DeviceKind::Network:
            return QStringLiteral("network");
    }
    return {};
}

DeviceFacts networkFacts(const QString& url) {
    DeviceFacts facts;
    facts.node = url;
    facts.kind = DeviceKind::Network;
    if (const auto target = parseNetworkTarget(url))
        facts.driver = target->protocol == NetworkProtocol::Rfc2217 ? QStringLiteral("rfc2217")
                                                                    : QStringLiteral("socket");
    return facts;
}

QString uartTypeName(int portType) {
    if (portType >= 0 && static_cast<std::size_t>(portType) < kPortTypes.size())
        return QLatin1String(kPortTypes[static_cast<std::size_t>(portType)]);
    return QStringLiteral("PORT_%1").arg(portType);
}

DeviceKind classifyDevice(const SysfsTty& tty) {
    if (!tty.exists) return DeviceKind::Missing;
    if (!tty.charDevice) return DeviceKind::Other;
    if (tty.name.isEmpty())
        return isPtySlaveMajor(tty.major) ? DeviceKind::Virtual : DeviceKind::Other;
    if (nameIs(tty.name, "ttyUSB[0-9]+") && tty.hasHardware) return DeviceKind::UsbSerial;
    if (nameIs(tty.name, "ttyACM[0-9]+") && tty.hasHardware) return DeviceKind::UsbAcm;
    if (tty.portType && tty.hasHardware) return DeviceKind::Uart;
    return tty.hasHardware ? DeviceKind::Other : DeviceKind::Virtual;
}

DeviceFacts factsFrom(const QString& node, const SysfsTty& tty, const UdevProperties& udev) {
    DeviceFacts facts;
    facts.node = node;
    facts.name = tty.name;
    facts.kind = classifyDevice(tty);
    if (facts.kind == DeviceKind::Uart) facts.uartType = uartTypeName(*tty.portType);
    facts.driver = firstOf(udev, {"ID_USB_DRIVER"});
    if (facts.driver.isEmpty()) facts.driver = tty.driver;
    facts.links = serialLinksFrom(udev);
    facts.description = firstOf(udev, {"ID_MODEL_FROM_DATABASE", "ID_MODEL"});
    facts.manufacturer = firstOf(udev, {"ID_VENDOR_FROM_DATABASE", "ID_VENDOR"});
    facts.usbId = usbIdFrom(udev);
    facts.serial = firstOf(udev, {"ID_SERIAL_SHORT"});
    facts.interfaceNumber = firstOf(udev, {"ID_USB_INTERFACE_NUM"});
    facts.mmPortType = mmPortTypeFrom(udev);
    facts.console = tty.console;
    return facts;
}

}  // namespace qelv
