#pragma once

#include "surveyshape.h"

#include <QString>

#include <cstdint>

namespace qelv::survey {

inline const QString kIdleCaption = QStringLiteral("検査開始");
inline const QString kBusyCaption = QStringLiteral("検査中");
inline const QString kDetectStatus = QStringLiteral("OSが使用・定義しているCOMポートの検出");
inline const QString kAtStatus = QStringLiteral("ATコマンドを受け付けるか検査");
inline const QString kInfoStatus = QStringLiteral("機器情報の取得");
inline const QString kIdentifyStatus = QStringLiteral("機器の識別");

inline const QString kHeaders[4] = {QStringLiteral("ポート"), QStringLiteral("接続状態"),
                                    QStringLiteral("ATコマンド 対応状況"),
                                    QStringLiteral("機器情報")};
inline constexpr int kColWidths[4] = {0, 1200, 2200, 5000};  // column 0 keeps its default

inline const QString kLineSettings = QStringLiteral("9600,N,8,1");

// Why an AT check or information query failed: the tooltip of its white cell and the notes
// under the text table.
inline const QString kNoAnswer = QStringLiteral("応答がありません（%1 ms 以内）");
inline const QString kAnswerWithoutOk = QStringLiteral("「OK」を含まない応答です");
inline const QString kOkNotALine = QStringLiteral("「OK」が単独の行になっていない応答です");
inline const QString kDeviceGone = QStringLiteral("機器との接続が切れました（エラー %1）");
inline const QString kExchangeFailed = QStringLiteral("通信に失敗しました（エラー %1）");
inline const QString kNotReopened = QStringLiteral("ポートを開けませんでした: %1");

// Under a port name's tooltip when its device is no longer the one the last survey found.
inline const QString kDeviceChanged =
    QStringLiteral("前回の検査の後で機器が変わりました。検査結果は前回の検査のものです。");

// What the identification found, for the tooltips and the lines under the text table.
inline const QString kIdentityHeading = QStringLiteral("機器の識別:");
inline const QString kAnswersAtSpeed = QStringLiteral("%1 bit/s では「OK」を返します");
inline const QString kManufacturerLabel = QStringLiteral("メーカー");
inline const QString kModelLabel = QStringLiteral("機種");
inline const QString kRevisionLabel = QStringLiteral("リビジョン");
inline const QString kSerialLabel = QStringLiteral("シリアル番号");
inline const QString kSpeedLabel = QStringLiteral("通信速度");
inline const QString kSpeedValue = QStringLiteral("%1 bit/s");
inline const QString kManagerFacts =
    QStringLiteral("ModemManager: プラグイン %1、状態 %2、ポートの役割 %3");
inline const QString kUnknownFact = QStringLiteral("-");
inline const QString kFromAt = QStringLiteral("AT");
inline const QString kFromModemManager = QStringLiteral("ModemManager");
inline const QString kFromUsb = QStringLiteral("USB");

// The text table's own texts.
inline const QString kDeviceHeader = QStringLiteral("デバイス");
inline const QString kNoDevice = QStringLiteral("-");
inline const QString kInterrupted = QStringLiteral("検査は中断されました。ここまでの結果です。");

inline QString portName(int n) {
    return QStringLiteral("COM") + QString::number(n);
}

}  // namespace qelv::survey
