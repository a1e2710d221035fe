#include "atport.h"

namespace qelv {

void openAtPort(SerialPort& port, const QString& name, const QString& settings) {
    port.setSettings(settings);
    port.setDTREnable(true);
    port.setRTSEnable(true);
    port.setHandshaking(0);
    try {
        port.setPortOpen(true);
    } catch (const ModemError& error) {
        QString shown = name;
        const QString device = port.devicePath();
        if (!device.isEmpty() && device != shown) shown += QStringLiteral(" (") + device + u')';
        throw ModemError(error.number(),
                         QStringLiteral("ポートを開けません: %1: %2").arg(shown, error.message()),
                         error.openFailure());
    }
}

}  // namespace qelv
