#include "portuse.h"

#include "portguard.h"

namespace qelv {

std::optional<PortUse> findPortUse(const QString& devicePath, const PortUseSources& sources) {
    QString holder = lockFileHolder(devicePath, sources.lockDirs.value(0));
    if (holder.isEmpty()) holder = openHolders(devicePath);
    if (holder.isEmpty()) return std::nullopt;
    return PortUse{holder, QStringLiteral("使用中です: %1 — %2").arg(devicePath, holder), {}};
}

}  // namespace qelv
