// The identification over real pseudo-terminals, against each kind of device the simulator
// plays from its maker's manual: every one named in full, the fixed-speed one found at its
// speed, and the others' speeds read as noise.

#include "identity.h"
#include "mdcomm.h"
#include "modemsim/simulatorprocess.h"
#include "qteventpump.h"
#include "qtserialport.h"
#include "tickclock.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

using namespace qelv;

namespace {

struct Expected {
    const char* profile;
    const char* manufacturer;
    const char* model;
    const char* revision;
    const char* serial;
    int speed;
};

const Expected kProfiles[] = {
    {"quectel-ec25", "Quectel", "EC25", "EC25EFAR06A06M4G", "866758040123456", 9600},
    {"simcom-sim7600", "SIMCOM INCORPORATED", "SIMCOM_SIM7600E-H", "LE20B04SIM7600M22",
     "861234567890123", 9600},
    {"ublox-sara-r4", "u-blox", "SARA-R410M-02B", "L0.0.00.00.05.06 [Feb 03 2018 13:00:41]",
     "004401083682553", 9600},
    {"simcom-sim800", "SIMCOM_Ltd", "SIMCOM_SIM800", "1418B04SIM800C24", "868345031234567", 9600},
    {"usr-56k", "U.S. Robotics", "USR5637 56K Faxmodem", "V7.04.05", "", 9600},
    {"esp-at", "", "", "2.2.0.0(c6fa6bf - ESP32 - Jul  2 2021 06:44:05)", "", 115200},
    {"hayes", "", "56000", "QEL-SIM V.92 Data/Fax Modem Version 2.1.0", "", 9600},
};

struct OpenDevice {
    explicit OpenDevice(const std::string& path)
        : port(PortMap::single(QString::fromStdString(path))) {
        port.setCommPort(1);
        port.setSettings(QStringLiteral("9600,N,8,1"));
        port.setPortOpen(true);
    }
    QtSerialPort port;
    SystemTickClock clock;
    QtEventPump pump;
    Mdcomm unit{clock, pump, port};
};

TEST(IdentifyOnPty, EachSimulatedDeviceIsNamedAsItsManualHasIt) {
    QTemporaryDir dir;
    std::vector<std::string> bench;
    for (std::size_t i = 0; i < std::size(kProfiles); ++i)
        bench.push_back(std::string(kProfiles[i].profile) + "@" + std::to_string(i + 1));
    SimulatorProcess sim(QELV_MODEMSIM_PATH, dir.path().toStdString(), bench);
    for (std::size_t i = 0; i < std::size(kProfiles); ++i) {
        const Expected& e = kProfiles[i];
        OpenDevice device(sim.devicePath(static_cast<int>(i) + 1));
        const DeviceIdentity got = identifyDevice(device.unit, e.speed != 9600);
        EXPECT_EQ(got.manufacturer.value, QString::fromLatin1(e.manufacturer)) << e.profile;
        EXPECT_EQ(got.model.value, QString::fromLatin1(e.model)) << e.profile;
        EXPECT_EQ(got.revision.value, QString::fromLatin1(e.revision)) << e.profile;
        EXPECT_EQ(got.serial.value, QString::fromLatin1(e.serial)) << e.profile;
        EXPECT_EQ(got.speed, e.speed) << e.profile;
        EXPECT_EQ(device.port.settings(), QStringLiteral("%1,N,8,1").arg(e.speed)) << e.profile;
    }
    // One command a line: ATI2's own "OK" is never asked for, and nothing is ever chained.
    for (const std::string& sent : {sim.received(1), sim.received(5)})
        for (const char* chained : {"ATI2", "I4I2", ";"})
            EXPECT_EQ(sent.find(chained), std::string::npos);
}

TEST(IdentifyOnPty, ADeviceAtAnotherSpeedIsNoiseAndTheAutobaudingOneKeepsItsFirstSpeed) {
    QTemporaryDir dir;
    SimulatorProcess sim(QELV_MODEMSIM_PATH, dir.path().toStdString(),
                         {"esp-at@1", "simcom-sim800@2"});
    {
        OpenDevice esp(sim.devicePath(1));
        const QString reply =
            esp.unit.SendModem(QStringLiteral("ATE0Q0V1"), 300, QStringLiteral("OK"));
        EXPECT_FALSE(reply.isEmpty());
        EXPECT_FALSE(reply.contains(QLatin1String("OK")));
        // Without the search, a device that does not hear 9600 names nothing.
        EXPECT_TRUE(identifyDevice(esp.unit).isEmpty());
    }
    OpenDevice sim800(sim.devicePath(2));
    EXPECT_TRUE(
        sim800.unit.SendModem(QStringLiteral("AT"), 1000, QStringLiteral("OK")).contains("OK\r\n"));
    sim800.port.setSettings(QStringLiteral("115200,N,8,1"));
    EXPECT_FALSE(
        sim800.unit.SendModem(QStringLiteral("AT"), 300, QStringLiteral("OK")).contains("OK"));
}

}  // namespace
