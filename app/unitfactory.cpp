#include "unitfactory.h"

#include "filelogwriter.h"
#include "mdcomm.h"
#include "qteventpump.h"
#include "qtserialport.h"

#include <QFileInfo>

namespace qelv {

void installUnitFactory(const PortMap& map) {
    Mdcomm::installFactory([map] {
        MdcommParts parts;
        parts.clock = std::make_unique<SystemTickClock>();
        parts.pump = std::make_unique<QtEventPump>();
        parts.port = std::make_unique<QtSerialPort>(map);
        parts.logWriter = std::make_unique<FileLogWriter>();
        return std::make_unique<Mdcomm>(std::move(parts));
    });
}

std::function<std::unique_ptr<SerialPort>()> portFactory(const PortMap& map) {
    return [map]() -> std::unique_ptr<SerialPort> { return std::make_unique<QtSerialPort>(map); };
}

std::function<QString(int)> portDescriber(const PortMap& map) {
    auto known = std::make_shared<QList<QSerialPortInfo>>();
    return [map, known](int n) {
        if (n == 1 || known->isEmpty()) *known = QSerialPortInfo::availablePorts();
        return map.describe(n, *known);
    };
}

std::optional<QString> devicePathFor(const PortMap& map, int port) {
    const auto device = map.device(port);
    if (!device) return std::nullopt;
    const QString target = QFileInfo(device->path).canonicalFilePath();
    return target.isEmpty() ? device->path : target;
}

}  // namespace qelv
