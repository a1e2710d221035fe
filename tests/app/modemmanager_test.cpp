// What ModemManager says of the modems it manages, read over a D-Bus daemon the test starts
// (never the machine's system bus) from a mocked org.freedesktop.ModemManager1: its facts for
// a port it holds, shown without a byte reaching that port, and nothing, quickly, when there
// is no bus or ModemManager is absent or silent.

#include "gridrender.h"
#include "holder.h"
#include "knownidentity.h"
#include "mainform.h"
#include "managedmodems.h"
#include "mdcomm.h"
#include "memorywidgets.h"
#include "portlist.h"
#include "privatebus.h"
#include "pty.h"
#include "qtserialport.h"
#include "scaledtime.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace qelv;
using namespace qelv::test;

namespace {

constexpr qint64 kBudgetMs = 500;

TEST(ModemManager, ReadsEachModemWithItsPortsAndTheirRoles) {
    PrivateBus bus;
    bus.startModemManager({{QStringLiteral("modems"), QJsonArray{quectelModem("ttyUSB2")}}});
    const auto modems = readManagedModems({bus.address()});
    ASSERT_EQ(modems.size(), 1u);
    const ManagedModem& modem = modems.front();
    EXPECT_EQ(modem.manufacturer, "Quectel");
    EXPECT_EQ(modem.model, "EC25");
    EXPECT_EQ(modem.revision, "EC25EFAR06A06M4G");
    EXPECT_EQ(modem.equipmentIdentifier, "866758040123456");
    EXPECT_EQ(modem.plugin, "quectel");
    EXPECT_EQ(modem.state, "registered");
    ASSERT_EQ(modem.ports.size(), 3u);
    EXPECT_EQ(modem.ports[0].role, "qmi");
    EXPECT_EQ(modem.ports[1].name, "ttyUSB2");
    EXPECT_EQ(modem.ports[1].role, "at");
    EXPECT_EQ(modem.ports[2].role, "qcdm");

    const DeviceIdentity identity = identityFromManager(modem, QStringLiteral("ttyUSB2"));
    EXPECT_EQ(identity.serial,
              (IdentityField{QStringLiteral("866758040123456"), IdentitySource::ModemManager}));
    EXPECT_EQ(identity.portRole, "at");
    EXPECT_EQ(managedModemState(-1), "failed");
    EXPECT_EQ(managedModemState(42), "unknown");
    EXPECT_EQ(managedPortRole(99), "unknown");
}

TEST(ModemManager, NothingAndWithinItsBudgetWithoutBusModemManagerOrAnAnswer) {
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(readManagedModems({QStringLiteral("unix:path=/nonexistent/qelv-no-bus")}).empty());
    EXPECT_LT(clock.elapsed(), kBudgetMs);

    PrivateBus bus;
    clock.restart();
    EXPECT_TRUE(readManagedModems({bus.address()}).empty());  // nobody owns the name
    EXPECT_LT(clock.elapsed(), kBudgetMs);

    bus.startModemManager({{QStringLiteral("modems"), QJsonArray{quectelModem("ttyUSB2")}}});
    bus.silenceModemManager();
    clock.restart();
    EXPECT_TRUE(readManagedModems({bus.address()}).empty());
    // The budget is the whole wait; what is over it is the scheduler's, not a D-Bus timeout.
    EXPECT_LT(clock.elapsed(), kBudgetMs + 250);
}

// COM3 is a modem that ModemManager holds: its facts come from ModemManager, in the survey's
// identities, its tooltips, --json and --list --json, and not one byte goes to its port.
TEST(ModemManager, AHeldPortIsNamedWithoutAByteReachingIt) {
    Pty modem;
    PortsDir dir;
    dir.link(3, modem.slavePath());
    Holder modemManager({}, modem.slavePath());
    const QString kernelName = QFileInfo(modem.slavePath()).fileName();
    PrivateBus bus;
    bus.startModemManager({{QStringLiteral("modems"), QJsonArray{quectelModem(kernelName)}}});

    // What udev would say of a USB modem, for the pseudo-terminal playing it.
    const auto facts = [](const QString& path) {
        DeviceFacts f;
        f.node = QFileInfo(path).canonicalFilePath();
        f.kind = DeviceKind::UsbAcm;
        f.manufacturer = QStringLiteral("Quectel Wireless Solutions Co., Ltd.");
        return f;
    };
    const auto ports = PortDirectory::fixed(PortMap::fromDirectory(dir.path()), facts);
    const auto known = std::make_shared<KnownIdentities>(
        ports, [&bus] { return readManagedModems({bus.address()}); });

    ScaledClock clock(10);
    ScaledPump pump(10);
    QtSerialPort port(ports);
    Mdcomm unit(clock, pump, port);
    MemoryForm widgets;
    MainForm form(widgets.widgets(), {.pump = pump,
                                      .unit = [&unit]() -> Mdcomm& { return unit; },
                                      .knownIdentity = [known](int n) { return known->of(n); }});
    form.Form_Load();
    form.Command1_Click();

    EXPECT_EQ(widgets.MSFlexGrid1.cells().at(3, 1).failure, OpenFailure::Busy);
    const DeviceIdentity& identity = form.identity(3);
    EXPECT_EQ(identity.manufacturer,
              (IdentityField{QStringLiteral("Quectel"), IdentitySource::ModemManager}));
    EXPECT_EQ(identity.model.value, "EC25");
    EXPECT_EQ(identity.state, "registered");
    EXPECT_EQ(identity.portRole, "at");
    EXPECT_TRUE(widgets.MSFlexGrid1.cells().at(3, 0).identity.contains("EC25"));
    EXPECT_TRUE(modem.received(std::chrono::milliseconds(100)).isEmpty());

    const QJsonObject row =
        QJsonDocument::fromJson(renderJson(widgets.MSFlexGrid1.cells(), {}, true,
                                           [&form](int n) { return form.identity(n); }))
            .object()
            .value("rows")
            .toArray()
            .at(2)
            .toObject();
    EXPECT_EQ(row.value("identity").toObject().value("sources").toObject().value("model"),
              "modemmanager");
    EXPECT_TRUE(QJsonDocument::fromJson(renderJson(widgets.MSFlexGrid1.cells(), {}, true, {}))
                    .object()
                    .value("rows")
                    .toArray()
                    .at(2)
                    .toObject()
                    .value("identity")
                    .isNull());

    const auto listed = listPorts(*ports, {}, [known](int n) { return known->of(n); });
    const QJsonObject entry = QJsonDocument::fromJson(renderPortListJson(listed))
                                  .object()
                                  .value("ports")
                                  .toArray()
                                  .at(0)
                                  .toObject();
    EXPECT_EQ(entry.value("identity").toObject().value("serial"), "866758040123456");
    EXPECT_EQ(
        entry.value("identity").toObject().value("modemmanager").toObject().value("port_role"),
        "at");
    EXPECT_TRUE(modem.received().isEmpty());
}

}  // namespace
