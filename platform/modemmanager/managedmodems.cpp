#include "managedmodems.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QElapsedTimer>
#include <QVariantMap>

#include <array>
#include <atomic>

namespace qelv {

namespace {

const QString kService = QStringLiteral("org.freedesktop.ModemManager1");
const QString kRoot = QStringLiteral("/org/freedesktop/ModemManager1");
const QString kObjectManager = QStringLiteral("org.freedesktop.DBus.ObjectManager");
const QString kModemInterface = QStringLiteral("org.freedesktop.ModemManager1.Modem");

std::vector<ManagedPort> portsFrom(const QVariant& value) {
    std::vector<ManagedPort> ports;
    if (!value.canConvert<QDBusArgument>()) return ports;
    const QDBusArgument list = value.value<QDBusArgument>();
    if (list.currentSignature() != QLatin1String("a(su)")) return ports;
    list.beginArray();
    while (!list.atEnd()) {
        QString name;
        uint type = 0;
        list.beginStructure();
        list >> name >> type;
        list.endStructure();
        ports.push_back({name, managedPortRole(type)});
    }
    list.endArray();
    return ports;
}

ManagedModem modemFrom(const QVariantMap& properties) {
    const auto text = [&properties](const char* name) {
        const QVariant value = properties.value(QLatin1String(name));
        return value.typeId() == QMetaType::QString ? value.toString() : QString();
    };
    ManagedModem modem{text("Manufacturer"),
                       text("Model"),
                       text("Revision"),
                       text("EquipmentIdentifier"),
                       text("Plugin"),
                       QString(),
                       {}};
    const QVariant state = properties.value(QStringLiteral("State"));
    if (state.typeId() == QMetaType::Int) modem.state = managedModemState(state.toInt());
    modem.ports = portsFrom(properties.value(QStringLiteral("Ports")));
    return modem;
}

// a{oa{sa{sv}}}: each object, each of its interfaces, each of that interface's properties.
std::vector<ManagedModem> modemsFrom(const QDBusArgument& objects) {
    std::vector<ManagedModem> modems;
    if (objects.currentSignature() != QLatin1String("a{oa{sa{sv}}}")) return modems;
    objects.beginMap();
    while (!objects.atEnd()) {
        QDBusObjectPath path;
        objects.beginMapEntry();
        objects >> path;
        objects.beginMap();
        while (!objects.atEnd()) {
            QString interface;
            QVariantMap properties;
            objects.beginMapEntry();
            objects >> interface >> properties;
            objects.endMapEntry();
            if (interface == kModemInterface) modems.push_back(modemFrom(properties));
        }
        objects.endMap();
        objects.endMapEntry();
    }
    objects.endMap();
    return modems;
}

std::vector<ManagedModem> ask(const QDBusConnection& connection, int timeoutMs) {
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kRoot, kObjectManager,
                                                       QStringLiteral("GetManagedObjects"));
    // Asking must not start ModemManager where it is installed but not running.
    call.setAutoStartService(false);
    const QDBusMessage reply = connection.call(call, QDBus::Block, timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 1) return {};
    const QVariant objects = reply.arguments().first();
    if (!objects.canConvert<QDBusArgument>()) return {};
    return modemsFrom(objects.value<QDBusArgument>());
}

}  // namespace

std::vector<ManagedModem> readManagedModems(const ModemManagerBus& bus) {
    QElapsedTimer elapsed;
    elapsed.start();
    static std::atomic<int> s_connections{0};
    // A connection of its own, closed again: the program keeps nothing open on the bus.
    const QString name = QStringLiteral("qelv-modemmanager-%1").arg(++s_connections);
    const QDBusConnection connection =
        bus.address.isEmpty() ? QDBusConnection::connectToBus(QDBusConnection::SystemBus, name)
                              : QDBusConnection::connectToBus(bus.address, name);
    std::vector<ManagedModem> modems;
    const qint64 left = bus.budget.count() - elapsed.elapsed();
    if (connection.isConnected() && left > 0) modems = ask(connection, static_cast<int>(left));
    QDBusConnection::disconnectFromBus(name);
    return modems;
}

QString managedPortRole(unsigned type) {
    static const std::array<const char*, 11> kRoles{"unknown", "unknown", "net",   "at",
                                                    "qcdm",    "gps",     "qmi",   "mbim",
                                                    "audio",   "ignored", "xmmrpc"};
    return QLatin1String(type < kRoles.size() ? kRoles[type] : "unknown");
}

QString managedModemState(int state) {
    static const std::array<const char*, 13> kStates{
        "failed",        "unknown",    "initializing", "locked",    "disabled",
        "disabling",     "enabling",   "enabled",      "searching", "registered",
        "disconnecting", "connecting", "connected"};
    const int index = state + 1;  // MM_MODEM_STATE_FAILED is -1
    return QLatin1String(index >= 0 && index < static_cast<int>(kStates.size())
                             ? kStates[static_cast<std::size_t>(index)]
                             : "unknown");
}

}  // namespace qelv
