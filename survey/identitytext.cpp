#include "identitytext.h"

#include "surveytexts.h"

namespace qelv::survey {

namespace {

QString sourceText(IdentitySource source) {
    switch (source) {
        case IdentitySource::At:
            return kFromAt;
        case IdentitySource::ModemManager:
            return kFromModemManager;
        case IdentitySource::Usb:
            return kFromUsb;
        case IdentitySource::None:
            break;
    }
    return {};
}

QString orUnknown(const QString& text) {
    return text.isEmpty() ? kUnknownFact : text;
}

}  // namespace

QStringList identityLines(const DeviceIdentity& identity,
                          const std::function<QString(const QString&)>& escape) {
    const auto shown = [&escape](const QString& text) { return escape ? escape(text) : text; };
    QStringList lines;
    const auto add = [&](const QString& label, const IdentityField& field) {
        if (field.known())
            lines << QStringLiteral("%1: %2（%3）")
                         .arg(label, shown(field.value), sourceText(field.source));
    };
    add(kManufacturerLabel, identity.manufacturer);
    add(kModelLabel, identity.model);
    add(kRevisionLabel, identity.revision);
    add(kSerialLabel, identity.serial);
    if (identity.speed > 0)
        lines << QStringLiteral("%1: %2（%3）")
                     .arg(kSpeedLabel, kSpeedValue.arg(identity.speed), kFromAt);
    if (!identity.plugin.isEmpty() || !identity.state.isEmpty() || !identity.portRole.isEmpty())
        lines << kManagerFacts.arg(shown(orUnknown(identity.plugin)),
                                   shown(orUnknown(identity.state)),
                                   shown(orUnknown(identity.portRole)));
    return lines;
}

QString identityNote(const DeviceIdentity& identity) {
    const QStringList lines = identityLines(identity);
    if (lines.isEmpty()) return {};
    return kIdentityHeading + u'\n' + lines.join(u'\n');
}

}  // namespace qelv::survey
