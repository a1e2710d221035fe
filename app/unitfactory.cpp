#include "unitfactory.h"

#include "devicetext.h"
#include "filelogwriter.h"
#include "mdcomm.h"
#include "networktarget.h"
#include "qteventpump.h"
#include "qtserialport.h"

#include <QFileInfo>

namespace qelv {

MdcommParts machineParts(std::shared_ptr<const PortDirectory> ports,
                         std::unique_ptr<EventPump> pump) {
    MdcommParts parts;
    parts.clock = std::make_unique<SystemTickClock>();
    parts.pump = pump ? std::move(pump) : std::make_unique<QtEventPump>();
    parts.port = std::make_unique<QtSerialPort>(std::move(ports));
    parts.logWriter = std::make_unique<FileLogWriter>();
    return parts;
}

void installUnitFactory(std::shared_ptr<PortDirectory> ports) {
    Mdcomm::installFactory([ports] { return std::make_unique<Mdcomm>(machineParts(ports)); });
}

std::function<std::unique_ptr<SerialPort>()> portFactory(std::shared_ptr<PortDirectory> ports) {
    return
        [ports]() -> std::unique_ptr<SerialPort> { return std::make_unique<QtSerialPort>(ports); };
}

std::function<QString(int)> portDescriber(std::shared_ptr<PortDirectory> ports) {
    return [ports](int n) {
        const auto device = ports->map().device(n);
        if (!device) return QStringLiteral("COM%1: デバイスがありません").arg(n);
        QStringList lines{device->path};
        const QFileInfo info(device->path);
        if (!looksLikeUrl(device->path) && info.isSymLink())
            lines.first() += QStringLiteral(" → ") + info.symLinkTarget();
        if (const auto facts = ports->facts(n)) lines << describeFacts(*facts);
        return lines.join(u'\n');
    };
}

std::optional<QString> devicePathFor(const PortMap& map, int port) {
    const auto device = map.device(port);
    if (!device) return std::nullopt;
    if (looksLikeUrl(device->path)) return device->path;
    const QFileInfo entry(device->path);
    const QString target = entry.canonicalFilePath();
    if (!target.isEmpty()) return target;
    // Gone since, or never there: the node the entry names, not the entry's own path, which
    // is relative under a relative --ports.
    return entry.isSymLink() ? entry.symLinkTarget() : entry.absoluteFilePath();
}

}  // namespace qelv
