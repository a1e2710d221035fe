#include "identity.h"

#include "textescape.h"

namespace qelv {

namespace {

void fillField(IdentityField& into, const IdentityField& from) {
    if (!into.known() && from.known()) into = from;
}

void fillText(QString& into, const QString& from) {
    if (into.isEmpty()) into = from;
}

}  // namespace

QString identitySourceName(IdentitySource source) {
    switch (source) {
        case IdentitySource::None:
            return {};
        case IdentitySource::At:
            return QStringLiteral("at");
        case IdentitySource::ModemManager:
            return QStringLiteral("modemmanager");
        case IdentitySource::Usb:
            return QStringLiteral("usb");
    }
    return {};
}

void fillIdentity(DeviceIdentity& into, const DeviceIdentity& from) {
    fillField(into.manufacturer, from.manufacturer);
    fillField(into.model, from.model);
    fillField(into.revision, from.revision);
    fillField(into.serial, from.serial);
    if (into.speed == 0) into.speed = from.speed;
    fillText(into.plugin, from.plugin);
    fillText(into.state, from.state);
    fillText(into.portRole, from.portRole);
}

IdentityField namedIdentityField(QStringView value, IdentitySource source) {
    QString text;
    for (const QChar c : value)
        if (!isControlCharacter(c.unicode())) text += c;
    text = text.trimmed().left(DeviceIdentity::kFieldMax).trimmed();
    if (text.isEmpty()) return {};
    return {text, source};
}

}  // namespace qelv
