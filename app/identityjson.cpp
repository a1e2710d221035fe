#include "identityjson.h"

#include <QJsonObject>

namespace qelv {

namespace {

QJsonValue textOrNull(const QString& text) {
    return text.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(text);
}

QJsonValue managerJson(const DeviceIdentity& identity) {
    if (identity.plugin.isEmpty() && identity.state.isEmpty() && identity.portRole.isEmpty())
        return QJsonValue::Null;
    return QJsonObject{{QStringLiteral("plugin"), textOrNull(identity.plugin)},
                       {QStringLiteral("state"), textOrNull(identity.state)},
                       {QStringLiteral("port_role"), textOrNull(identity.portRole)}};
}

}  // namespace

QJsonValue identityJson(const DeviceIdentity& identity) {
    if (identity.isEmpty()) return QJsonValue::Null;
    QJsonObject object;
    QJsonObject sources;
    const auto add = [&](const char* key, const IdentityField& field) {
        object.insert(QLatin1String(key), textOrNull(field.value));
        if (field.known()) sources.insert(QLatin1String(key), identitySourceName(field.source));
    };
    add("manufacturer", identity.manufacturer);
    add("model", identity.model);
    add("revision", identity.revision);
    add("serial", identity.serial);
    object.insert(QStringLiteral("speed"),
                  identity.speed > 0 ? QJsonValue(identity.speed) : QJsonValue(QJsonValue::Null));
    if (identity.speed > 0)
        sources.insert(QStringLiteral("speed"), identitySourceName(IdentitySource::At));
    object.insert(QStringLiteral("sources"), sources);
    object.insert(QStringLiteral("modemmanager"), managerJson(identity));
    return object;
}

}  // namespace qelv
