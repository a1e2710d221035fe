// The one map a survey, its tooltips, the output and --list share, read afresh per survey.

#include "portdirectory.h"
#include "pty.h"
#include "qtserialport.h"

#include <gtest/gtest.h>

using namespace qelv;
using namespace qelv::test;

namespace {

struct SystemMap : ::testing::Test {
    std::vector<QString> devices;
    int enumerations = 0;
    int factReads = 0;
    std::shared_ptr<PortDirectory> ports = PortDirectory::system(
        [this] {
            ++enumerations;
            return devices;
        },
        [this](const QString& path) {
            ++factReads;
            DeviceFacts facts;
            facts.node = path;
            return facts;
        });
};

TEST_F(SystemMap, APluggedDeviceAppearsAndAPulledOneGoesAtTheNextRefreshOnly) {
    EXPECT_EQ(enumerations, 1);
    EXPECT_FALSE(ports->map().device(1));
    devices = {"/dev/ttyUSB0"};
    EXPECT_FALSE(ports->map().device(1));  // not before the next survey
    ports->refresh();
    EXPECT_EQ(ports->map().device(1)->path, "/dev/ttyUSB0");
    devices = {"/dev/ttyUSB1", "/dev/ttyS0"};
    ports->refresh();
    EXPECT_EQ(ports->map().device(1)->path, "/dev/ttyS0");
    EXPECT_EQ(ports->map().device(2)->path, "/dev/ttyUSB1");
    devices.clear();
    ports->refresh();
    EXPECT_FALSE(ports->map().device(1));
    EXPECT_EQ(enumerations, 4);
}

TEST_F(SystemMap, FactsAreReadOncePerRefresh) {
    devices = {"/dev/ttyUSB0"};
    ports->refresh();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(ports->facts(1)->node, "/dev/ttyUSB0");
    EXPECT_FALSE(ports->facts(2));
    EXPECT_EQ(factReads, 1);
    ports->refresh();
    ports->facts(1);
    EXPECT_EQ(factReads, 2);
}

TEST_F(SystemMap, TheSerialPortLooksUpTheMapOfTheMoment) {
    Pty first, second;
    QtSerialPort port(ports);
    port.setCommPort(1);
    EXPECT_EQ(port.devicePath(), "");
    devices = {first.slavePath()};
    ports->refresh();
    EXPECT_EQ(port.devicePath(), first.slavePath());
    port.setPortOpen(true);
    port.setPortOpen(false);
    devices = {second.slavePath()};
    ports->refresh();
    EXPECT_EQ(port.devicePath(), second.slavePath());
    devices.clear();
    ports->refresh();
    EXPECT_THROW(port.setPortOpen(true), ModemError);
}

TEST_F(SystemMap, TargetsGivenForComNumbersOutliveRefreshesAndAreNeverLookedAt) {
    devices = {"/dev/ttyS0", "/dev/ttyUSB0"};
    ports->refresh();
    ports->setTarget(2, "rfc2217://ts1:4001");
    ports->setTarget(5, "socket://[::1]:23");
    devices = {"/dev/ttyS0", "/dev/ttyUSB1", "/dev/ttyUSB2"};
    ports->refresh();
    EXPECT_EQ(ports->map().device(1)->path, "/dev/ttyS0");
    EXPECT_EQ(ports->map().device(2)->path, "rfc2217://ts1:4001");
    EXPECT_EQ(ports->map().device(3)->path, "/dev/ttyUSB2");
    EXPECT_EQ(ports->map().device(5)->path, "socket://[::1]:23");
    // Facts of a network port come from its URL alone: nothing is looked up or connected.
    const auto facts = readDeviceFacts("socket://[::1]:23");
    EXPECT_EQ(facts.kind, DeviceKind::Network);
    EXPECT_EQ(facts.node, "socket://[::1]:23");
    EXPECT_EQ(facts.driver, "socket");
    EXPECT_EQ(deviceKindName(DeviceKind::Network), "network");
    EXPECT_EQ(readDeviceFacts("rfc2217://ts1:4001").driver, "rfc2217");
}

TEST(FixedMap, ADirectoryIsReadAtEachLookupAndRefreshKeepsIt) {
    PortsDir dir;
    const auto ports = PortDirectory::fixed(PortMap::fromDirectory(dir.path()));
    EXPECT_FALSE(ports->map().device(1));
    dir.link(1, "/nonexistent/qelv");
    EXPECT_TRUE(ports->map().device(1));
    ports->refresh();
    EXPECT_EQ(ports->map().directory(), dir.path());
    EXPECT_EQ(ports->facts(1)->kind, DeviceKind::Missing);
}

}  // namespace
