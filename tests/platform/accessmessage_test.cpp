#include "accessmessage.h"
#include "modemsim/pty.h"
#include "portprobe.h"
#include "ttydevice.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace qelv;

namespace {

struct PermissionRow {
    const char* what;
    const char* mode;
    const char* group;
    bool inGroup;
    bool sessionHas;
    const char* mustContain;     // empty: nothing to check
    const char* mustNotContain;  // empty: nothing to check
};

const PermissionRow kPermissionRows[] = {
    {"not a member of dialout", "crw-rw----", "dialout", false, false,
     "ユーザー alice を dialout グループに加え、ログインし直してください (sudo usermod -aG dialout "
     "alice)",
     "反映されていません"},
    {"uucp owns it, not dialout", "crw-rw----", "uucp", false, false, "sudo usermod -aG uucp alice",
     "dialout"},
    {"member, but this login predates it", "crw-rw----", "dialout", true, false,
     "alice は dialout グループに入っていますが、このログインにはまだ反映されていません: "
     "ログインし直してください",
     "usermod"},
    {"member with the group in this login: groups are not the cause", "crw-rw----", "dialout", true,
     true, "", "グループ"},
    {"the group may only read", "crw-r-----", "dialout", false, false, "", "usermod"},
    {"no group access at all", "crw-------", "dialout", false, false, "", "dialout グループ"},
    {"root's group is no advice", "crw-rw----", "root", false, false, "", "usermod"},
    {"root's group, no dialout either", "crw-rw----", "root", false, false, "", "dialout"},
};

TEST(PermissionMessage, NamesModeAndGroupAndAdvisesOnlyWhatHelps) {
    for (const PermissionRow& row : kPermissionRows) {
        const AccessFacts facts{QStringLiteral("/nonexistent/dev/ttyUSB0"),
                                QString::fromLatin1(row.mode),
                                QStringLiteral("root"),
                                QString::fromLatin1(row.group),
                                QStringLiteral("alice"),
                                row.inGroup,
                                row.sessionHas};
        const QString text = permissionMessage(facts);
        EXPECT_TRUE(text.startsWith(
            QStringLiteral("アクセス権がありません: /nonexistent/dev/ttyUSB0 (%1 root:%2)")
                .arg(QLatin1String(row.mode), QLatin1String(row.group))))
            << row.what << ": " << text.toStdString();
        if (*row.mustContain) {
            EXPECT_TRUE(text.contains(QString::fromUtf8(row.mustContain)))
                << row.what << ": " << text.toStdString();
        }
        if (*row.mustNotContain) {
            EXPECT_FALSE(text.contains(QString::fromUtf8(row.mustNotContain)))
                << row.what << ": " << text.toStdString();
        }
    }
}

TEST(PermissionMessage, WithoutModeOnlyThePath) {
    EXPECT_EQ(permissionMessage({QStringLiteral("/nonexistent/dev/ttyS9"),
                                 {},
                                 {},
                                 {},
                                 QStringLiteral("alice"),
                                 false,
                                 false}),
              QStringLiteral("アクセス権がありません: /nonexistent/dev/ttyS9"));
}

TEST(PermissionMessage, FactsOfARealFileAndPathsMadeAbsolute) {
    QTemporaryDir dir;
    const QString file = QDir(dir.path()).filePath(QStringLiteral("node"));
    QFile(file).open(QIODevice::WriteOnly);
    ::chmod(QFile::encodeName(file).constData(), 0640);
    const QString before = QDir::currentPath();
    QDir::setCurrent(dir.path());
    const AccessFacts facts = accessFactsOf(QStringLiteral("node"));
    const ProbeResult missing = precheckPort(QStringLiteral("no-such-port"));
    QDir::setCurrent(before);
    EXPECT_EQ(facts.path, file);
    EXPECT_EQ(facts.mode, QStringLiteral("-rw-r-----"));
    EXPECT_FALSE(facts.group.isEmpty());
    EXPECT_TRUE(facts.sessionHasGroup);  // our own new file has our group
    EXPECT_EQ(missing.reason,
              QStringLiteral("デバイスがありません: %1/no-such-port").arg(dir.path()));
}

TEST(TtyDevice, DriversListRowsThatMustAndMustNotMatch) {
    QTemporaryDir proc;
    QDir(proc.path()).mkpath(QStringLiteral("tty"));
    QFile drivers(QDir(proc.path()).filePath(QStringLiteral("tty/drivers")));
    ASSERT_TRUE(drivers.open(QIODevice::WriteOnly));
    drivers.write(
        "/dev/tty             /dev/tty        5       0 system:/dev/tty\n"
        "serial               /dev/ttyS       4 64-111 serial\n"
        "usbserial            /dev/ttyUSB   188 0-511 serial\n"
        "pty_slave            /dev/pts      136 0-1048575 pty:slave\n");
    drivers.close();
    const std::pair<dev_t, bool> rows[] = {
        {makedev(4, 64), true},   {makedev(4, 111), true}, {makedev(188, 3), true},
        {makedev(136, 7), true},  {makedev(5, 0), true},   {makedev(4, 63), false},
        {makedev(4, 112), false}, {makedev(1, 3), false},  {makedev(5, 1), false},
        {makedev(18, 8), false},
    };
    for (const auto& [device, tty] : rows)
        EXPECT_EQ(isTtyDevice(device, proc.path()), tty) << major(device) << ":" << minor(device);
    QTemporaryDir empty;  // no list: nothing is ruled out
    EXPECT_TRUE(isTtyDevice(makedev(1, 3), empty.path()));
}

}  // namespace

namespace {

// The refusal as an unprivileged user meets it, from the program itself.
TEST(PermissionMessage, AnUnprivilegedRunIsToldTheDevicesGroupAndNothingReachesIt) {
    const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    const group* dialout = ::getgrnam("dialout");
    if (::geteuid() != 0 || setpriv.isEmpty() || !dialout || !::getpwnam("nobody"))
        GTEST_SKIP() << "needs root, setpriv, the dialout group and the user nobody";
    modemsim::RawPty pty = modemsim::openRawPty();
    const QString slave = QString::fromStdString(pty.slavePath);
    ASSERT_EQ(::chown(pty.slavePath.c_str(), 0, dialout->gr_gid), 0);
    ASSERT_EQ(::chmod(pty.slavePath.c_str(), 0660), 0);
    QProcess qelv;
    qelv.start(setpriv, {"--reuid=nobody", "--regid=nogroup", "--clear-groups",
                         QStringLiteral(QELV_BINARY_PATH), "at", slave, "AT"});
    ASSERT_TRUE(qelv.waitForFinished(10000));
    const QString text = QString::fromUtf8(qelv.readAllStandardError());
    EXPECT_EQ(qelv.exitCode(), 1);
    EXPECT_TRUE(
        text.contains(QStringLiteral("アクセス権がありません: %1 (crw-rw---- root:dialout) — "
                                     "ユーザー nobody を dialout グループに加え")
                          .arg(slave)))
        << text.toStdString();
    char byte;
    EXPECT_LT(::read(pty.master.get(), &byte, 1), 1);  // non-blocking: nothing was written
}

}  // namespace
