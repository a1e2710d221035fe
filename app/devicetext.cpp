#include "devicetext.h"

namespace qelv {

namespace {

QString kindText(const DeviceFacts& facts) {
    switch (facts.kind) {
        case DeviceKind::Uart:
            return QStringLiteral("種類: UART (%1)").arg(facts.uartType);
        case DeviceKind::UsbSerial:
            return QStringLiteral("種類: USBシリアル変換器");
        case DeviceKind::UsbAcm:
            return QStringLiteral("種類: USBモデム (ACM)");
        case DeviceKind::Virtual:
            return QStringLiteral("種類: 仮想端末");
        case DeviceKind::Other:
            return QStringLiteral("種類: その他");
        case DeviceKind::Missing:
            return QStringLiteral("種類: 存在しません");
        case DeviceKind::Network:
            return QStringLiteral("種類: ネットワーク");
    }
    return {};
}

}  // namespace

QStringList describeFacts(const DeviceFacts& facts,
                          const std::function<QString(const QString&)>& escape) {
    const auto shown = [&escape](const QString& text) { return escape ? escape(text) : text; };
    QStringList lines{kindText(facts)};
    const auto add = [&](const char* label, const QString& value) {
        if (!value.isEmpty()) lines << QString::fromUtf8(label) + shown(value);
    };
    add("ドライバ: ", facts.driver);
    add("機種: ", facts.description);
    add("メーカー: ", facts.manufacturer);
    add("USB: ", facts.usbId);
    add("シリアル番号: ", facts.serial);
    add("インターフェース: ", facts.interfaceNumber);
    add("ModemManager: ", facts.mmPortType);
    for (const QString& link : facts.links) add("リンク: ", link);
    if (facts.console) lines << QStringLiteral("カーネルのコンソール");
    return lines;
}

}  // namespace qelv
