#include "portmap.h"
#include "linesettings.h"
#include "pty.h"

#include <gtest/gtest.h>

#include <QFile>

using namespace qelv;
using namespace qelv::test;

namespace {

TEST(PortMapOrder, OnBoardUartsFirstThenNamesWithNumbersAsNumbers) {
    QStringList names = {"ttyUSB10", "ttyACM0", "ttyS10", "ttyUSB2", "ttyS2", "ttyAMA0", "ttyS0"};
    std::sort(names.begin(), names.end(), PortMap::systemOrderLess);
    const QStringList expected = {"ttyS0",   "ttyS2",   "ttyS10",  "ttyACM0",
                                  "ttyAMA0", "ttyUSB2", "ttyUSB10"};
    EXPECT_EQ(names, expected);
}

TEST(PortMapDirectory, EntriesAreReadAtEachLookup) {
    PortsDir ports;
    const PortMap map = PortMap::fromDirectory(ports.path());
    EXPECT_FALSE(map.device(3));
    ports.link(3, "/nonexistent/qelv");  // a dangling link still names a device, one that is absent
    ASSERT_TRUE(map.device(3));
    EXPECT_TRUE(map.device(3)->path.endsWith("/com3"));
    Pty device;
    ports.link(16, device.slavePath());
    EXPECT_TRUE(map.device(16));
    EXPECT_FALSE(map.device(17));
    EXPECT_FALSE(map.device(0));
    ports.unlink(16);
    EXPECT_FALSE(map.device(16));
}

TEST(PortMapSystem, DevicesInSystemOrderAndNoMoreThanSixteen) {
    std::vector<QString> nodes = {"/dev/ttyUSB10", "/dev/ttyS1", "/dev/ttyUSB2"};
    for (int i = 0; i < 20; ++i) nodes.push_back(QStringLiteral("/dev/ttyACM%1").arg(i));
    const PortMap map = PortMap::fromDevices(nodes);
    EXPECT_EQ(map.device(1)->path, "/dev/ttyS1");
    EXPECT_EQ(map.device(2)->path, "/dev/ttyACM0");
    EXPECT_EQ(map.device(16)->path, "/dev/ttyACM14");
    EXPECT_FALSE(map.device(17));
    EXPECT_FALSE(PortMap::fromDevices({}).device(1));
}

TEST(PortMapDirectory, WhatCannotBeAPortsDirectoryAndMisnamedEntries) {
    PortsDir ports;
    EXPECT_TRUE(PortMap::directoryProblem(ports.path()).isEmpty());
    EXPECT_TRUE(PortMap::directoryProblem("/nonexistent/qelv").contains("does not exist"));
    EXPECT_TRUE(PortMap::directoryProblem("/dev/null").contains("not a directory"));
    for (const char* name : {"COM3", "com01", "com17", "com0", "Com5", "com1", "com16", "com9",
                             "com", "comx", "com3.bak", "ttyS0"})
        QFile(ports.path() + "/" + name).open(QIODevice::WriteOnly);
    EXPECT_EQ(PortMap::misnamedEntries(ports.path()),
              QStringList({"COM3", "Com5", "com0", "com01", "com17"}));
}

TEST(PortMapDirectory, EnvironmentNamesTheDirectoryWhenNoOptionDoes) {
    PortsDir ports;
    qputenv("QELV_PORTS", ports.path().toLocal8Bit());
    EXPECT_EQ(PortMap::directoryFromOptionOrEnvironment({}), ports.path());
    EXPECT_EQ(PortMap::directoryFromOptionOrEnvironment("/elsewhere"), "/elsewhere");
    qunsetenv("QELV_PORTS");
    EXPECT_EQ(PortMap::directoryFromOptionOrEnvironment({}), "");
    qunsetenv("QELV_PORTS");
}

TEST(LineSettingsText, AcceptsWhatAPortCanDoAndNothingElse) {
    const std::pair<const char*, std::optional<LineSettings>> rows[] = {
        {"9600,N,8,1", LineSettings{9600, Parity::None, 8, 10}},
        {"115200,e,7,2", LineSettings{115200, Parity::Even, 7, 20}},
        {" 300 , O , 5 , 1.5 ", LineSettings{300, Parity::Odd, 5, 15}},
        {"9600,N,8", std::nullopt},
        {"9600,N,8,1,", std::nullopt},
        {"9600,X,8,1", std::nullopt},
        {"9600,NN,8,1", std::nullopt},
        {"0,N,8,1", std::nullopt},
        {"-9600,N,8,1", std::nullopt},
        {"99999999999,N,8,1", std::nullopt},
        {"9600,N,4,1", std::nullopt},
        {"9600,N,9,1", std::nullopt},
        {"9600,N,8,3", std::nullopt},
        {"9600,N,8,1.0", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [text, expected] : rows) {
        EXPECT_EQ(parseLineSettings(text), expected) << text;
        if (expected) {
            EXPECT_EQ(parseLineSettings(formatLineSettings(*expected)), expected) << text;
        }
    }
}

}  // namespace

namespace {

TEST(PortMapNetwork, ALinkToAUrlNamesTheUrlAndAMalformedOneNothing) {
    PortsDir ports;
    ports.link(5, "rfc2217://ts1:4001");
    ports.link(6, "socket://[::1]:23");
    ports.link(7, "rfc2217://ts1");     // no port
    ports.link(8, "telnet://ts1:23");   // unknown scheme
    ports.link(9, "rfc2217-ts1:4001");  // a relative path, not a URL
    const PortMap map = PortMap::fromDirectory(ports.path());
    EXPECT_EQ(map.device(5)->path, "rfc2217://ts1:4001");
    EXPECT_EQ(map.device(6)->path, "socket://[::1]:23");
    EXPECT_FALSE(map.device(7));
    EXPECT_FALSE(map.device(8));
    EXPECT_TRUE(map.device(9)->path.endsWith("/com9"));
    const QStringList malformed = PortMap::malformedTargets(ports.path());
    ASSERT_EQ(malformed.size(), 2);
    EXPECT_TRUE(malformed[0].startsWith("com7 → rfc2217://ts1 (")) << malformed[0].toStdString();
    EXPECT_TRUE(malformed[0].contains("no port"));
    EXPECT_TRUE(malformed[1].startsWith("com8 → telnet://ts1:23 (")) << malformed[1].toStdString();
    EXPECT_TRUE(PortMap::misnamedEntries(ports.path()).isEmpty());
}

TEST(PortMapNetwork, ATargetGivenForOneComNumberComesBeforeDirectoryAndSystem) {
    PortsDir ports;
    ports.link(1, "/nonexistent/qelv1");
    ports.link(2, "/nonexistent/qelv2");
    PortMap dir = PortMap::fromDirectory(ports.path());
    dir.setTarget(2, "rfc2217://ts1:4001");
    dir.setTarget(3, "/dev/qelv-named");
    dir.setTarget(0, "socket://ignored:1");
    dir.setTarget(17, "socket://ignored:1");
    EXPECT_TRUE(dir.device(1)->path.endsWith("/com1"));
    EXPECT_EQ(dir.device(2)->path, "rfc2217://ts1:4001");
    EXPECT_EQ(dir.device(3)->path, "/dev/qelv-named");
    EXPECT_FALSE(dir.device(4));
    EXPECT_EQ(dir.targets(),
              (std::map<int, QString>{{2, "rfc2217://ts1:4001"}, {3, "/dev/qelv-named"}}));
    dir.setTarget(2, QString());
    EXPECT_TRUE(dir.device(2)->path.endsWith("/com2"));

    PortMap system = PortMap::fromDevices({"/dev/ttyS0", "/dev/ttyS1"});
    system.setTarget(1, "socket://ts2:7");
    system.setTarget(16, "rfc2217://ts2:8");
    EXPECT_EQ(system.device(1)->path, "socket://ts2:7");
    EXPECT_EQ(system.device(2)->path, "/dev/ttyS1");
    EXPECT_FALSE(system.device(3));
    EXPECT_EQ(system.device(16)->path, "rfc2217://ts2:8");
    EXPECT_FALSE(system.isDirectory());
}

}  // namespace
