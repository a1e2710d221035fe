#include "portlist.h"

#include "devicetext.h"
#include "identityjson.h"
#include "jsonwriter.h"
#include "surveyshape.h"
#include "tablelayout.h"
#include "textescape.h"

#include <QJsonArray>
#include <QJsonObject>

namespace qelv {

namespace {

QJsonValue orNull(const QString& text) {
    return text.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(text);
}

QJsonValue useJson(const std::optional<PortUse>& use) {
    if (!use) return QJsonValue::Null;
    return QJsonObject{{QStringLiteral("reason"), use->reason},
                       {QStringLiteral("holder"), orNull(use->holder)}};
}

QJsonObject portJson(const ListedPort& port) {
    const DeviceFacts& f = port.facts;
    return QJsonObject{
        {QStringLiteral("port"), QStringLiteral("COM%1").arg(port.number)},
        {QStringLiteral("device"), port.device},
        {QStringLiteral("node"), f.node},
        {QStringLiteral("links"), QJsonArray::fromStringList(f.links)},
        {QStringLiteral("driver"), orNull(f.driver)},
        {QStringLiteral("kind"), deviceKindName(f.kind)},
        {QStringLiteral("uart_type"), orNull(f.uartType)},
        {QStringLiteral("description"), orNull(f.description)},
        {QStringLiteral("manufacturer"), orNull(f.manufacturer)},
        {QStringLiteral("usb"), orNull(f.usbId)},
        {QStringLiteral("serial"), orNull(f.serial)},
        {QStringLiteral("interface"), orNull(f.interfaceNumber)},
        {QStringLiteral("mm_port_type"), orNull(f.mmPortType)},
        {QStringLiteral("console"), f.console},
        {QStringLiteral("in_use"), useJson(port.use)},
        {QStringLiteral("identity"), identityJson(port.identity)},
    };
}

}  // namespace

std::vector<ListedPort> listPorts(PortDirectory& ports, const PortUseCheck& use,
                                  const IdentityCheck& identity) {
    std::vector<ListedPort> listed;
    QStringList ttys;
    for (int n = survey::kFirstPort; n <= survey::kLastPort; ++n) {
        const auto device = ports.map().device(n);
        if (!device) continue;
        ListedPort port{n, device->path, *ports.facts(n), std::nullopt, {}};
        if (identity) port.identity = identity(n);
        listed.push_back(std::move(port));
        // Who holds a FIFO or /dev/null is nobody's concern; a tty of any kind is.
        const DeviceFacts& facts = listed.back().facts;
        if (!facts.name.isEmpty() || facts.kind == DeviceKind::Virtual) ttys << facts.node;
    }
    // One look at the processes for all of them.
    const auto uses = use ? std::vector<std::optional<PortUse>>{} : findPortUses(ttys);
    for (ListedPort& port : listed) {
        const qsizetype at = ttys.indexOf(port.facts.node);
        if (at < 0) continue;
        port.use = use ? use(port.facts.node) : uses[static_cast<std::size_t>(at)];
    }
    return listed;
}

QString renderPortList(const std::vector<ListedPort>& ports) {
    std::vector<QStringList> rows;
    for (const ListedPort& port : ports) {
        QString path = escapeForTerminal(port.device);
        if (port.facts.node != port.device)
            path += QStringLiteral(" → ") + escapeForTerminal(port.facts.node);
        QStringList facts = describeFacts(port.facts, escapeForTerminal);
        if (port.use) facts << escapeForTerminal(port.use->reason);
        rows.push_back(
            {QStringLiteral("COM%1").arg(port.number), path, facts.join(QStringLiteral("; "))});
    }
    // Aligned like the survey's table, so that COM10 and a longer path shift nothing.
    return alignedTable(rows, 0);
}

QByteArray renderPortListJson(const std::vector<ListedPort>& ports) {
    QJsonArray array;
    for (const ListedPort& port : ports) array.append(portJson(port));
    // Device texts (a model name, a serial number) come from the device: written with the
    // shared JSON writer, DEL and C1 characters are escaped like every other control.
    return compactJson(QJsonObject{{QStringLiteral("ports"), array}}) + '\n';
}

}  // namespace qelv
