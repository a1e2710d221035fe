// --list from injected sysfs and udev sources: the shape of its JSON and its text lines.

#include "portlist.h"
#include "fakesysfs.h"
#include "pty.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <sys/stat.h>
#include <sys/sysmacros.h>

using namespace qelv;
using namespace qelv::test;

namespace {

QString numberOf(const QString& node) {
    struct stat st {};
    ::stat(QFile::encodeName(node).constData(), &st);
    return QStringLiteral("%1:%2").arg(major(st.st_rdev)).arg(minor(st.st_rdev));
}

struct ListedBench : ::testing::Test {
    Pty usb, uart;
    FakeSysfs sys;
    PortsDir dir;
    std::shared_ptr<PortDirectory> ports;
    std::vector<QString> asked;

    void SetUp() override {
        sys.add({"ttyUSB0", "ftdi_sio", std::nullopt, {}, false}, numberOf(usb.slavePath()));
        sys.add({"ttyS0", "serial", 4, "Y", true}, numberOf(uart.slavePath()));
        dir.link(1, uart.slavePath());
        dir.link(3, usb.slavePath());
        dir.link(4, "/nonexistent/qelv");
        const DeviceFactsSources sources{sys.root(), [](const QString& name) {
                                             if (name != "ttyUSB0") return UdevProperties{};
                                             return UdevProperties{
                                                 {"ID_MODEL", "FT232R_USB_UART"},
                                                 {"ID_VENDOR", "FTDI\x1b[2J"},
                                                 {"ID_VENDOR_ID", "0403"},
                                                 {"ID_MODEL_ID", "6001"},
                                                 {"ID_SERIAL_SHORT", "A5\"0"},
                                                 {"ID_USB_INTERFACE_NUM", "00"},
                                                 {"ID_MM_PORT_TYPE_AT_PRIMARY", "1"},
                                                 {"DEVLINKS", "/dev/serial/by-id/usb-FTDI-if00"}};
                                         }};
        ports = PortDirectory::fixed(
            PortMap::fromDirectory(dir.path()),
            [sources](const QString& path) { return readDeviceFacts(path, sources); });
    }
    std::vector<ListedPort> list() {
        return listPorts(*ports, [this](const QString& node) -> std::optional<PortUse> {
            asked.push_back(node);
            if (node != uart.slavePath()) return std::nullopt;
            return PortUse{"PID 7 (agetty)", "使用中です: PID 7 (agetty)", {}};
        });
    }
};

TEST_F(ListedBench, JsonHasOneObjectPerMappedPortWithEveryField) {
    const QJsonObject top = QJsonDocument::fromJson(renderPortListJson(list())).object();
    ASSERT_EQ(top.keys(), QStringList({"ports"}));
    const QJsonArray array = top["ports"].toArray();
    ASSERT_EQ(array.size(), 3);
    const QStringList fields = {"console",  "description",  "device",       "driver",
                                "identity", "in_use",       "interface",    "kind",
                                "links",    "manufacturer", "mm_port_type", "node",
                                "port",     "serial",       "uart_type",    "usb"};
    for (const auto& port : array) EXPECT_EQ(port.toObject().keys(), fields);

    const QJsonObject com1 = array[0].toObject();
    EXPECT_EQ(com1["port"], "COM1");
    EXPECT_EQ(com1["device"], dir.path() + "/com1");
    EXPECT_EQ(com1["kind"], "uart");
    EXPECT_EQ(com1["uart_type"], "16550A");
    EXPECT_EQ(com1["driver"], "serial");
    EXPECT_EQ(com1["console"], true);
    EXPECT_TRUE(com1["description"].isNull());
    EXPECT_EQ(com1["in_use"].toObject()["holder"], "PID 7 (agetty)");
    EXPECT_EQ(com1["in_use"].toObject()["reason"], "使用中です: PID 7 (agetty)");

    const QJsonObject com3 = array[1].toObject();
    EXPECT_EQ(com3["port"], "COM3");
    EXPECT_EQ(com3["node"], usb.slavePath());
    EXPECT_EQ(com3["kind"], "usb-serial");
    EXPECT_EQ(com3["usb"], "0403:6001");
    EXPECT_EQ(com3["manufacturer"], "FTDI\x1b[2J");  // exact in JSON, escaped by JSON itself
    EXPECT_EQ(com3["serial"], "A5\"0");
    EXPECT_EQ(com3["interface"], "00");
    EXPECT_EQ(com3["mm_port_type"], "AT_PRIMARY");
    EXPECT_EQ(com3["links"].toArray(), QJsonArray({"/dev/serial/by-id/usb-FTDI-if00"}));
    EXPECT_TRUE(com3["in_use"].isNull());
    EXPECT_TRUE(com3["uart_type"].isNull());

    const QJsonObject com4 = array[2].toObject();
    EXPECT_EQ(com4["kind"], "missing");
    EXPECT_TRUE(com4["in_use"].isNull());
    // A missing device is not asked after.
    EXPECT_EQ(asked, (std::vector<QString>{uart.slavePath(), usb.slavePath()}));
}

TEST_F(ListedBench, TextHasOneLinePerPortAndNoRawDeviceText) {
    const QStringList lines = renderPortList(list()).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].startsWith("COM1  ")) << lines[0].toStdString();
    EXPECT_TRUE(lines[0].contains("UART (16550A)"));
    EXPECT_TRUE(lines[0].contains("使用中です: PID 7 (agetty)"));
    EXPECT_TRUE(lines[1].startsWith("COM3  ")) << lines[1].toStdString();
    EXPECT_TRUE(lines[1].contains("メーカー: FTDI\\x1B[2J")) << lines[1].toStdString();
    EXPECT_TRUE(lines[1].contains("USB: 0403:6001"));
    EXPECT_TRUE(lines[2].startsWith("COM4  ")) << lines[2].toStdString();
    EXPECT_TRUE(lines[2].contains("存在しません"));
    EXPECT_FALSE(renderPortList(list()).contains(QChar(0x1b)));
}

// Two-digit COM numbers and paths of any length leave every port's facts in one column.
TEST(PortListText, ColumnsStayInPlaceFromCom10On) {
    std::vector<ListedPort> ports;
    for (const auto& [n, device] : {std::pair{9, "/dev/ttyS8"},
                                    {10, "/dev/ttyUSB0"},
                                    {16, "/dev/serial/by-id/usb-FTDI-if00"}}) {
        DeviceFacts facts;
        facts.node = device;
        facts.kind = DeviceKind::Other;
        ports.push_back({n, device, facts, std::nullopt, {}});
    }
    const QStringList lines = renderPortList(ports).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3);
    for (const QString& line : lines) {
        EXPECT_EQ(line.indexOf("/dev/"), 7) << line.toStdString();
        EXPECT_EQ(line.indexOf("種類"), 7 + 31 + 2) << line.toStdString();
    }
}

}  // namespace
