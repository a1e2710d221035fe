#pragma once

#include <QString>

// What the serial ports tell the user when one cannot be opened, in one table: the reasons
// (shown in the survey's notes and tooltips, `--list` and `qel-v at`) and the one-line
// remedies that follow a holder. %1, %2 ... are filled in by the code that uses them.
namespace qelv::porttexts {

inline const QString kAbsent = QStringLiteral("デバイスがありません");
inline const QString kAbsentAt = QStringLiteral("デバイスがありません: %1");
inline const QString kPhantomUart =
    QStringLiteral("デバイスがありません: %1 (ハードウェアのないポート)");
inline const QString kNotSerial = QStringLiteral("シリアルデバイスではありません: %1");
inline const QString kBusy = QStringLiteral("使用中です: %1");
inline const QString kBusyBy = QStringLiteral("使用中です: %1 — %2");
inline const QString kCannotOpen = QStringLiteral("開けません: %1");
inline const QString kCannotOpenWhy = QStringLiteral("開けません: %1 (%2)");
inline const QString kNoAccess = QStringLiteral("アクセス権がありません: %1");

// Holders that are not processes.
inline const QString kConsole = QStringLiteral("システムコンソール");
inline const QString kLockFile = QStringLiteral("ロックファイル %1");
inline const QString kLockWithoutPid = QStringLiteral(" (プロセス番号が読めません)");
inline const QString kLockOfGonePid = QStringLiteral(" (PID %1 はもう動いていません)");
inline const QString kLockOfGoneProgram =
    QStringLiteral(" (%1 が書いたもの。PID %2 はもう動いていません)");
inline const QString kFlockBySomeone =
    QStringLiteral("ほかのプログラムが flock でロックしています");
inline const QString kStaleExclusive = QStringLiteral(
    "使用中です: %1 — 排他モードが残っています (開いているのはデバイス側の %2 だけです) — "
    "デバイス側のプログラムを起動し直してください");
inline const QString kExclusiveUnseen = QStringLiteral(
    "使用中です: %1 — 排他モードで開かれていますが、使っているプロセスは見えません — "
    "sudo fuser -v %1 で確かめてください");

// What a killed run of this program left on a device: cleared at the next open, with a note;
// or, when it cannot be cleared, why the port stays shut. %2 is the program, %3 its PID.
inline const QString kLeftoverCleared =
    QStringLiteral("%1: 強制終了された %2 (PID %3) が残した%4 を片付けました");
inline const QString kLeftoverLock = QStringLiteral("ロックファイル %1");
inline const QString kLeftoverExclusive = QStringLiteral("排他モード");
inline const QString kLeftoverAnd = QStringLiteral(" と");
inline const QString kLeftoverLockStuck = QStringLiteral(
    "使用中です: %1 — 強制終了された %2 (PID %3) のロックファイル %4 が残っていますが、"
    "削除できません (%5) — ファイルの持ち主か root で削除してください");
inline const QString kLeftoverExclusiveStuck = QStringLiteral(
    "使用中です: %1 — 強制終了された %2 (PID %3) が排他モードを残しています — "
    "root で実行すると片付けます。またはデバイス側のプログラムを起動し直してください");

// Remedies.
inline const QString kRemoveLockFile =
    QStringLiteral("このポートを使うプログラムがなければ %1 を削除してください");
inline const QString kStopGetty = QStringLiteral(
    "ログイン待ちのゲッティです: systemctl stop serial-getty@%1.service で止めてください");
inline const QString kReleaseFromModemManager = QStringLiteral(
    "ModemManager がモデムとして掴んでいます: udev 規則で ID_MM_PORT_IGNORE=1 を付けるか、"
    "mmcli --inhibit-device で放させてください");
inline const QString kStopBrltty = QStringLiteral(
    "点字ディスプレイ用の brltty です: 使わないなら systemctl stop brltty.service で止め、"
    "systemctl disable brltty.service で無効にしてください");
inline const QString kLeaveConsole =
    QStringLiteral("カーネルの起動パラメータから console=%1 を外してください");
inline const QString kJoinGroup = QStringLiteral(
    " — ユーザー %1 を %2 グループに加え、ログインし直してください (sudo usermod -aG %2 %1)");
inline const QString kLogInAgain = QStringLiteral(
    " — ユーザー %1 は %2 グループに入っていますが、このログインにはまだ反映されていません: "
    "ログインし直してください");

}  // namespace qelv::porttexts
