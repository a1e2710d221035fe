// Device facts: what sysfs and udev say of a mapped device, read without opening it.

#include "devicefacts.h"
#include "fakesysfs.h"
#include "pty.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace qelv;
using namespace qelv::test;

namespace {

SysfsTty tty(const char* name, bool hardware, std::optional<int> type = std::nullopt) {
    SysfsTty t;
    t.exists = true;
    t.charDevice = true;
    t.major = 4;
    t.name = QString::fromLatin1(name);
    t.hasHardware = hardware;
    t.portType = type;
    return t;
}

TEST(DeviceKindOf, NamesDriversAndTheSerialCoreDecide) {
    SysfsTty fifo;
    fifo.exists = true;
    SysfsTty ptySlave = tty("", false);
    ptySlave.major = 136;
    SysfsTty memory = tty("", false);
    memory.major = 1;  // /dev/null: a character device, no tty
    const std::pair<SysfsTty, DeviceKind> rows[] = {
        {tty("ttyS0", true, 4), DeviceKind::Uart},
        {tty("ttyAMA0", true, 32), DeviceKind::Uart},
        {tty("ttyS3", true, 0), DeviceKind::Uart},  // a line the core found no UART on
        {tty("ttyUSB0", true), DeviceKind::UsbSerial},
        {tty("ttyUSB12", true), DeviceKind::UsbSerial},
        {tty("ttyACM0", true), DeviceKind::UsbAcm},
        {tty("tty1", false), DeviceKind::Virtual},
        {tty("ptmx", false), DeviceKind::Virtual},
        {ptySlave, DeviceKind::Virtual},
        {tty("rfcomm0", true), DeviceKind::Other},
        // Rows that must not match what their names suggest.
        {tty("ttyUSB", true), DeviceKind::Other},
        {tty("ttyUSB0a", true), DeviceKind::Other},
        {tty("xttyACM0", true), DeviceKind::Other},
        {tty("ttyACM0", false), DeviceKind::Virtual},
        {tty("ttyS0", false, 4), DeviceKind::Virtual},
        {memory, DeviceKind::Other},
        {fifo, DeviceKind::Other},
        {SysfsTty{}, DeviceKind::Missing},
    };
    for (const auto& [row, kind] : rows)
        EXPECT_EQ(deviceKindName(classifyDevice(row)), deviceKindName(kind))
            << row.name.toStdString();
}

TEST(DeviceKindOf, UartTypesByTheKernelsNumbers) {
    EXPECT_EQ(uartTypeName(4), "16550A");
    EXPECT_EQ(uartTypeName(1), "8250");
    EXPECT_EQ(uartTypeName(14), "NS16550A");
    EXPECT_EQ(uartTypeName(32), "AMBA");
    EXPECT_EQ(uartTypeName(0), "unknown");
    EXPECT_EQ(uartTypeName(99), "PORT_99");
    EXPECT_EQ(uartTypeName(-1), "PORT_-1");
}

TEST(DeviceFactsFrom, UdevPropertiesFillTheFacts) {
    const UdevProperties udev = {
        {"ID_MODEL", "FT232R_USB_UART"},
        {"ID_MODEL_FROM_DATABASE", "FT232 Serial (UART) IC"},
        {"ID_VENDOR", "FTDI"},
        {"ID_VENDOR_ID", "0403"},
        {"ID_MODEL_ID", "6001"},
        {"ID_SERIAL_SHORT", "A50285BI"},
        {"ID_USB_INTERFACE_NUM", "00"},
        {"ID_USB_DRIVER", "ftdi_sio"},
        {"ID_MM_PORT_TYPE_AT_PRIMARY", "1"},
        {"ID_MM_PORT_TYPE_GPS", "0"},
        {"DEVLINKS",
         "/dev/serial/by-path/pci-0:1.0-port0 /dev/gps0 /dev/serial/by-id/usb-FTDI_A50285BI-if00"},
    };
    SysfsTty usb = tty("ttyUSB0", true);
    usb.driver = "usb";
    const DeviceFacts facts = factsFrom("/nonexistent/dev/ttyUSB0", usb, udev);
    EXPECT_EQ(facts.kind, DeviceKind::UsbSerial);
    EXPECT_EQ(facts.description, "FT232 Serial (UART) IC");
    EXPECT_EQ(facts.manufacturer, "FTDI");
    EXPECT_EQ(facts.usbId, "0403:6001");
    EXPECT_EQ(facts.serial, "A50285BI");
    EXPECT_EQ(facts.interfaceNumber, "00");
    EXPECT_EQ(facts.driver, "ftdi_sio");
    EXPECT_EQ(facts.mmPortType, "AT_PRIMARY");
    EXPECT_EQ(facts.links, QStringList({"/dev/serial/by-id/usb-FTDI_A50285BI-if00",
                                        "/dev/serial/by-path/pci-0:1.0-port0"}));
    EXPECT_TRUE(facts.uartType.isEmpty());

    const DeviceFacts bare = factsFrom("/nonexistent/dev/ttyS0", tty("ttyS0", true, 4), {});
    EXPECT_EQ(bare.uartType, "16550A");
    EXPECT_TRUE(bare.description.isEmpty());
    EXPECT_TRUE(bare.usbId.isEmpty());
    EXPECT_TRUE(factsFrom("/x", tty("ttyUSB1", true), {{"ID_VENDOR_ID", "0403"}}).usbId.isEmpty());
}

QString numberOf(const QString& node) {
    struct stat st {};
    ::stat(QFile::encodeName(node).constData(), &st);
    return QStringLiteral("%1:%2").arg(major(st.st_rdev)).arg(minor(st.st_rdev));
}

TEST(DeviceFactsRead, SysfsIsFollowedFromTheDeviceNumberThroughLinks) {
    Pty device;
    FakeSysfs sys;
    sys.add({"ttyUSB7", "pl2303", std::nullopt, {}, false}, numberOf(device.slavePath()));
    PortsDir ports;
    ports.link(2, device.slavePath());
    const auto facts = readDeviceFacts(ports.path() + "/com2",
                                       {sys.root(), [](const QString& name) {
                                            return UdevProperties{{"ID_MODEL", name + "-model"}};
                                        }});
    EXPECT_EQ(facts.node, device.slavePath());
    EXPECT_EQ(facts.name, "ttyUSB7");
    EXPECT_EQ(facts.kind, DeviceKind::UsbSerial);
    EXPECT_EQ(facts.driver, "pl2303");
    EXPECT_EQ(facts.description, "ttyUSB7-model");
    EXPECT_FALSE(facts.console);
}

TEST(DeviceFactsRead, DriverBehindTheSerialBaseBusAndTheConsole) {
    Pty device;
    FakeSysfs sys;
    sys.add({"ttyS1", "serial", 4, "Y", true}, numberOf(device.slavePath()));
    const auto facts = readDeviceFacts(
        device.slavePath(), {sys.root(), [](const QString&) { return UdevProperties{}; }});
    EXPECT_EQ(facts.kind, DeviceKind::Uart);
    EXPECT_EQ(facts.uartType, "16550A");
    EXPECT_EQ(facts.driver, "serial");
    EXPECT_TRUE(facts.console);
}

TEST(DeviceFactsRead, WhatIsNoTtyOfTheKernels) {
    const DeviceFactsSources empty{QStringLiteral("/nonexistent/sys"),
                                   [](const QString&) { return UdevProperties{}; }};
    Pty device;  // devpts is not in sysfs: a pseudo-terminal
    EXPECT_EQ(readDeviceFacts(device.slavePath(), empty).kind, DeviceKind::Virtual);
    EXPECT_EQ(readDeviceFacts("/dev/null", empty).kind, DeviceKind::Other);
    QTemporaryDir dir;
    const QString fifo = dir.filePath("fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_EQ(readDeviceFacts(fifo, empty).kind, DeviceKind::Other);
    QFile::link("/nonexistent/qelv", dir.filePath("dangling"));
    const auto dangling = readDeviceFacts(dir.filePath("dangling"), empty);
    EXPECT_EQ(dangling.kind, DeviceKind::Missing);
    EXPECT_EQ(dangling.node, dir.filePath("dangling"));
}

TEST(SystemSerialDevices, TtysWithHardwareExceptLinesWithoutAUart) {
    FakeSysfs sys;
    sys.add({"ttyS0", "serial", 4, {}, true});
    sys.add({"ttyS1", "serial", 0, {}, true});  // registered, no UART found there
    sys.add({"ttyUSB0", "ftdi_sio", std::nullopt, {}, false});
    sys.add({"ttyACM0", "cdc_acm", std::nullopt, {}, false});
    sys.add({"tty1", {}, std::nullopt, {}, false});
    sys.add({"ptmx", {}, std::nullopt, {}, false});
    sys.setActiveConsoles("tty0 ttyS0");
    std::vector<QString> nodes = systemSerialDevices({sys.root(), {}});
    std::sort(nodes.begin(), nodes.end());
    EXPECT_EQ(nodes, (std::vector<QString>{"/dev/ttyACM0", "/dev/ttyS0", "/dev/ttyUSB0"}));
}

}  // namespace
