#pragma once

#include <QString>

// What a network serial port tells the user when it cannot be opened, in one table. %1 is
// the server as HOST:PORT unless said otherwise.
namespace qelv::networktexts {

inline const QString kNoSuchHost = QStringLiteral("ホスト名を解決できません: %1");  // %1 the host
inline const QString kLookupFailed = QStringLiteral("ホスト名を解決できません: %1 (%2)");
inline const QString kLookupTimeout =
    QStringLiteral("ホスト名を解決できません: %1 (%2 ms 以内に答えがありません)");
inline const QString kRefused = QStringLiteral("接続を拒否されました: %1");
inline const QString kConnectTimeout =
    QStringLiteral("接続できません: %1 (%2 ms 以内に応答がありません)");
inline const QString kUnreachable = QStringLiteral("接続できません: %1 (ネットワークに届きません)");
inline const QString kCannotConnect = QStringLiteral("接続できません: %1 (%2)");
inline const QString kServerBusy = QStringLiteral(
    "使用中です: %1 — サーバーが接続を閉じました (ほかのクライアントが使っています)");
inline const QString kNotRfc2217 = QStringLiteral(
    "RFC 2217 に応じないサーバーです: %1 (%2) — 生の TCP で中継しているなら socket://%1 を"
    "使ってください");
inline const QString kNoSettingsAnswer = QStringLiteral("%1 ms 以内に回線設定の確認がありません");
inline const QString kTelnetBroken = QStringLiteral("telnet の手順が壊れています");

}  // namespace qelv::networktexts
