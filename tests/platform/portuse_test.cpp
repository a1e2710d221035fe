#include "portuse.h"
#include "consoletty.h"
#include "holder.h"
#include "modemsim/pty.h"
#include "portguard.h"
#include "portremedy.h"
#include "pty.h"
#include "qtserialport.h"
#include "uucplock.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace qelv;
using namespace qelv::test;

namespace {

// A pseudo-terminal for these tests, with its master at hand to see what reached the device.
struct PtyDevice {
    modemsim::RawPty pty = modemsim::openRawPty();
    QString slave() const { return QString::fromStdString(pty.slavePath); }
    int master() const { return pty.master.get(); }
    int slaveFd() const { return pty.slave.get(); }
    QString index() const { return QFileInfo(slave()).fileName(); }
    QByteArray received() const {
        QByteArray out;
        pollfd pfd{master(), POLLIN, 0};
        if (::poll(&pfd, 1, 50) <= 0 || !(pfd.revents & POLLIN)) return out;
        char buffer[4096];
        for (ssize_t n; (n = ::read(master(), buffer, sizeof buffer)) > 0;) out.append(buffer, n);
        return out;
    }
};

QString processLabelOf(pid_t pid) {
    return QStringLiteral("PID %1 (").arg(pid);
}

ModemError acquireError(const QString& path, const PortUseSources& sources = {}) {
    try {
        PortGuard::acquire(path, sources);
    } catch (const ModemError& error) {
        return error;
    }
    return ModemError(0, QString());
}

// Which processes count as users of a pseudo-terminal: rows that must and must not match.
TEST(PortUse, OtherProcessesOnAPseudoTerminal) {
    PtyDevice device, other;
    struct Row {
        const char* what;
        std::initializer_list<int> keep;
        bool user;
    };
    const Row rows[] = {
        {"the slave alone", {device.slaveFd()}, true},
        {"the master and the slave: the device itself", {device.master(), device.slaveFd()}, false},
        {"the master alone", {device.master()}, false},
        {"the slave and another terminal's master", {device.slaveFd(), other.master()}, true},
        {"another terminal's slave", {other.slaveFd()}, false},
    };
    for (const Row& row : rows) {
        Holder holder(row.keep);
        const auto use = findPortUse(device.slave());
        EXPECT_EQ(use.has_value(), row.user) << row.what;
        if (use) {
            EXPECT_TRUE(use->holder.startsWith(processLabelOf(holder.pid())))
                << use->holder.toStdString();
            EXPECT_EQ(use->reason,
                      QStringLiteral("使用中です: %1 — %2").arg(device.slave(), use->holder));
        }
    }
}

TEST(PortUse, TheDeviceSideIsNamedAsTheFarEndAndNothingElseIs) {
    PtyDevice device;
    Holder side({device.master(), device.slaveFd()});
    Holder user({device.slaveFd()});
    EXPECT_TRUE(farEndHolders(device.slave()).startsWith(processLabelOf(side.pid())));
    EXPECT_FALSE(farEndHolders(device.slave()).contains(processLabelOf(user.pid())));
    EXPECT_TRUE(farEndHolders(QStringLiteral("/dev/null")).isEmpty());
}

TEST(PortUse, ALinkToTheDeviceFindsItsHolderAndOnlyTerminalsHaveUsers) {
    PtyDevice device;
    QTemporaryDir dir;
    const QString link = QDir(dir.path()).filePath(QStringLiteral("by-id-modem"));
    ASSERT_TRUE(QFile::link(device.slave(), link));
    Holder holder({device.slaveFd()});
    const auto use = findPortUse(link);
    ASSERT_TRUE(use.has_value());
    EXPECT_TRUE(use->holder.startsWith(processLabelOf(holder.pid())));
    // Every process has /dev/null open; that makes it no terminal, not a busy one.
    EXPECT_FALSE(findPortUse(QStringLiteral("/dev/null")).has_value());
    EXPECT_FALSE(findPortUse(QStringLiteral("/nonexistent/qelv-device")).has_value());
    EXPECT_FALSE(findPortUse(dir.path()).has_value());
}

// The whole open path, as the survey and `qel-v at` take it: refused before the device is
// opened, so not one byte (nor a line change) reaches it.
TEST(PortUse, APlainOpenByAnotherProcessMakesTheOpenFailBusyWithNothingSent) {
    PtyDevice device;
    PortsDir ports;
    ports.link(1, device.slave());
    Holder holder({device.slaveFd()});
    const ModemError guarded = acquireError(device.slave());
    EXPECT_EQ(guarded.openFailure(), OpenFailure::Busy);
    EXPECT_TRUE(guarded.message().contains(processLabelOf(holder.pid())))
        << guarded.message().toStdString();
    QtSerialPort port(PortMap::fromDirectory(ports.path()));
    port.setCommPort(1);
    try {
        port.setPortOpen(true);
        ADD_FAILURE() << "opened a port another process holds";
    } catch (const ModemError& error) {
        EXPECT_EQ(error.openFailure(), OpenFailure::Busy);
        EXPECT_TRUE(error.message().contains(processLabelOf(holder.pid())))
            << error.message().toStdString();
    }
    EXPECT_EQ(device.received(), QByteArray());
    holder.kill();
    port.setPortOpen(true);
    EXPECT_TRUE(port.portOpen());
}

TEST(PortUse, ExclusiveModeLeftByAKilledProgramIsSaidSoNotBlamedOnTheDeviceSide) {
    PtyDevice device;
    Holder side({device.master(), device.slaveFd()});
    {
        Holder crashed({}, device.slave(), true);
        crashed.kill();
    }
    const ModemError error = acquireError(device.slave());
    EXPECT_EQ(error.openFailure(), OpenFailure::Busy);
    const QString text = error.message();
    EXPECT_TRUE(text.contains(QStringLiteral("排他モードが残っています"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("デバイス側の ") + processLabelOf(side.pid())))
        << text.toStdString();
    EXPECT_FALSE(text.startsWith(QStringLiteral("使用中です: %1 — PID").arg(device.slave())));
    EXPECT_EQ(device.received(), QByteArray());
}

// As root, the next open clears the exclusive mode and the lock file that a killed run of
// ours left on a pseudo-terminal, and says so; another program's stay, and so does the port.
TEST(PortUse, ExclusiveModeLeftByAKilledRunOfOursIsClearedAnotherProgramsIsNot) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root opens a device in exclusive mode";
    for (const QString& program : {ownProgramName(), QStringLiteral("minicom")}) {
        PtyDevice device;
        Holder side({device.master(), device.slaveFd()});
        const QString lock = QStringLiteral("/run/lock/LCK..pts_") + device.index();
        {
            Holder crashed({}, device.slave(), true);
            QFile file(lock);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(QByteArray::number(crashed.pid()) + '\n' + program.toUtf8() + '\n' +
                       QSysInfo::machineHostName().toUtf8() + '\n');
        }  // killed
        QStringList notes;
        setClearedLeftoverHandler([&notes](const QString& note) { notes << note; });
        const ModemError error = acquireError(device.slave());
        setClearedLeftoverHandler({});
        int exclusive = 0;
        ::ioctl(device.slaveFd(), TIOCGEXCL, &exclusive);
        if (program == ownProgramName()) {
            EXPECT_EQ(error.number(), 0) << error.message().toStdString();
            ASSERT_EQ(notes.size(), 1);
            EXPECT_TRUE(
                notes[0].contains(QStringLiteral("ロックファイル %1 と排他モード").arg(lock)))
                << notes[0].toStdString();
            EXPECT_EQ(exclusive, 0);
            EXPECT_FALSE(QFile::exists(lock));
        } else {
            EXPECT_EQ(error.openFailure(), OpenFailure::Busy);
            EXPECT_TRUE(error.message().contains(lock)) << error.message().toStdString();
            EXPECT_TRUE(notes.isEmpty());
            EXPECT_EQ(exclusive, 1);
            EXPECT_TRUE(QFile::remove(lock));  // still there
        }
        EXPECT_EQ(device.received(), QByteArray());
    }
}

}  // namespace

namespace {

// Lock files and the console, each looked for in folders of the test's own.
struct InjectedSources : ::testing::Test {
    PtyDevice device;
    QTemporaryDir locks, sys, links;
    PortUseSources sources{QStringLiteral("/proc"), sys.path(), {locks.path()}};
    QString link = QDir(links.path()).filePath(QStringLiteral("usb-modem-if00"));

    void SetUp() override { ASSERT_TRUE(QFile::link(device.slave(), link)); }
    void writeFile(const QString& dir, const QString& name, const QByteArray& content) {
        QDir(dir).mkpath(QFileInfo(name).path());
        QFile file(QDir(dir).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    void clearFolders() {
        for (QTemporaryDir* dir : {&locks, &sys}) {
            const QDir folder(dir->path());
            for (const QString& entry : folder.entryList(QDir::AllEntries | QDir::NoDotAndDotDot)) {
                QDir(folder.filePath(entry)).removeRecursively();
                QFile::remove(folder.filePath(entry));
            }
        }
    }
};

QString programOfParent() {
    return QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(::getppid())))
        .fileName();
}

pid_t deadPid() {
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(0);
    ::waitpid(pid, nullptr, 0);
    return pid;
}

// Qt's lock files: the PID, the program, the host, the machine's and the boot's ids.
QByteArray qtLock(qint64 pid, const QString& program, bool thisMachine = true) {
    const QByteArray where = thisMachine ? QSysInfo::machineHostName().toUtf8() + '\n' +
                                               QSysInfo::machineUniqueId() + '\n' +
                                               QSysInfo::bootUniqueId() + '\n'
                                         : QByteArray("elsewhere\n0123456789abcdef\n");
    return QByteArray::number(pid) + '\n' + program.toUtf8() + '\n' + where;
}

TEST_F(InjectedSources, LockFilesUnderTheLinksNameTheDevicesAndQtsCount) {
    const QByteArray live = QByteArray::number(::getppid()).rightJustified(10) + '\n';
    const QByteArray dead = QByteArray::number(deadPid()).rightJustified(10) + '\n';
    const QByteArray self = QByteArray::number(::getpid()) + '\n';
    const QString ours = ownProgramName();
    const QString onLink = QStringLiteral("LCK..usb-modem-if00");  // cu -l on the link
    enum Verdict { Free, HeldByParent, NamedFile };
    struct Row {
        QString name;
        QByteArray content;
        Verdict verdict;
    };
    const Row rows[] = {
        {onLink, live, HeldByParent},
        {QStringLiteral("LCK..") + device.index(), live, HeldByParent},
        {QStringLiteral("LCK..pts_") + device.index(), live, HeldByParent},
        {onLink, dead, NamedFile},  // another program's, its process gone: left alone
        {QStringLiteral("LCK..usb-modem-if01"), live, Free},  // another device's
        {QStringLiteral("LCK..pts_") + device.index() + u'0', live, Free},
        {onLink, self, Free},
        {onLink, qtLock(deadPid(), ours), Free},    // a killed run of ours: cleared
        {onLink, qtLock(::getppid(), ours), Free},  // its PID since reused
        {onLink, qtLock(deadPid(), QStringLiteral("minicom")), NamedFile},
        {onLink, qtLock(deadPid(), ours, false), NamedFile},
        {onLink, qtLock(::getppid(), programOfParent()), HeldByParent},
    };
    for (const Row& row : rows) {
        clearFolders();
        writeFile(locks.path(), row.name, row.content);
        const auto use = findPortUse(link, sources);
        EXPECT_EQ(use.has_value(), row.verdict != Free) << row.content.toStdString();
        if (use && row.verdict == HeldByParent) {
            EXPECT_TRUE(use->holder.startsWith(processLabelOf(::getppid())))
                << row.name.toStdString();
        }
        if (use && row.verdict == NamedFile) {
            EXPECT_TRUE(use->remedy.contains(QDir(locks.path()).filePath(row.name)))
                << use->remedy.toStdString();
        }
    }
}

TEST_F(InjectedSources, ALockFileWithoutAPidNamesTheFileToRemove) {
    for (const QByteArray& content : {QByteArray(), QByteArray("\n"), QByteArray("garbage\n")}) {
        clearFolders();
        writeFile(locks.path(), QStringLiteral("LCK..usb-modem-if00"), content);
        const QString file = QDir(locks.path()).filePath(QStringLiteral("LCK..usb-modem-if00"));
        const auto use = findPortUse(link, sources);
        ASSERT_TRUE(use.has_value()) << content.toStdString();
        EXPECT_TRUE(use->reason.contains(file)) << use->reason.toStdString();
        EXPECT_TRUE(use->remedy.contains(file + QStringLiteral(" を削除")))
            << use->remedy.toStdString();
        EXPECT_FALSE(use->holder.isEmpty());
    }
}

TEST_F(InjectedSources, TheKernelConsoleByItsListOrTheTtysOwnAttribute) {
    const QString name = QStringLiteral("pts") + device.index();  // the kernel's name of /dev/pts/N
    struct Row {
        QString file;
        QByteArray content;
        bool console;
    };
    const Row rows[] = {
        {QStringLiteral("console/active"), "tty0 " + name.toLatin1() + "\n", true},
        {QStringLiteral("console/active"), name.toLatin1(), true},
        {QStringLiteral("console/active"), "tty0 ttyS0\n", false},
        {QStringLiteral("console/active"), name.toLatin1() + "0\n", false},
        {QStringLiteral("console/active"), "pts/" + device.index().toLatin1() + "\n", false},
        {QStringLiteral("console/active"), "", false},
        {name + QStringLiteral("/console"), "Y\n", true},
        {name + QStringLiteral("/console"), "1\n", true},
        {name + QStringLiteral("/console"), "N\n", false},
        {name + QStringLiteral("0/console"), "Y\n", false},
    };
    for (const Row& row : rows) {
        clearFolders();
        writeFile(sys.path(), row.file, row.content);
        const auto use = findPortUse(link, sources);
        EXPECT_EQ(use.has_value(), row.console)
            << row.file.toStdString() << ": " << row.content.toStdString();
        if (!use) continue;
        EXPECT_EQ(use->holder, QStringLiteral("システムコンソール"));
        EXPECT_EQ(use->reason,
                  QStringLiteral("使用中です: %1 — システムコンソール").arg(device.slave()));
        EXPECT_TRUE(use->remedy.contains(QStringLiteral("console=") + name + u' '));
    }
}

TEST_F(InjectedSources, AConsolePortIsRefusedBeforeItIsOpened) {
    writeFile(sys.path(), QStringLiteral("console/active"),
              "tty0 pts" + device.index().toLatin1() + "\n");
    const ModemError error = acquireError(link, sources);
    EXPECT_EQ(error.openFailure(), OpenFailure::Busy);
    EXPECT_TRUE(error.message().contains(
        QStringLiteral("システムコンソール — カーネルの起動パラメータから")))
        << error.message().toStdString();
    EXPECT_EQ(device.received(), QByteArray());
}

// A real getty on a pseudo-terminal, as serial-getty@ runs one on a serial port.
// A lock file's process counts while it lives, also when it is another user's and may not
// be signalled: a minicom of another login holds the port all the same. Seen from a child
// that runs as nobody, so that the test process is such a process.
TEST(PortUse, AnotherUsersLiveProcessStillHoldsItsLock) {
    const pid_t owner = ::geteuid() == 0 ? ::getpid() : 1;
    struct stat info {};
    if (::stat(QStringLiteral("/proc/%1").arg(owner).toLatin1().constData(), &info) != 0 ||
        (::geteuid() != 0 && info.st_uid == ::geteuid()))
        GTEST_SKIP() << "no process of another user to look at";
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(2);
        ::_exit(isOtherLiveProcess(owner) ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(PortUse, AGettyIsNamedWithHowToStopIt) {
    const QString agetty =
        QStandardPaths::findExecutable(QStringLiteral("agetty"), {"/sbin", "/usr/sbin"});
    if (agetty.isEmpty() || ::geteuid() != 0) GTEST_SKIP() << "needs agetty and root";
    PtyDevice device;
    QProcess getty;
    getty.start(agetty,
                {"--noclear", "--noissue", "-L", "-l", "/bin/true", device.slave().mid(5), "9600"});
    ASSERT_TRUE(getty.waitForStarted(5000));
    std::optional<PortUse> use;
    for (int i = 0; i < 300 && !(use && use->holder.contains(QStringLiteral("agetty"))); ++i) {
        QThread::msleep(10);
        use = findPortUse(device.slave());
    }
    const qint64 pid = getty.processId();
    getty.kill();
    getty.waitForFinished(3000);
    ASSERT_TRUE(use.has_value()) << "agetty did not take the terminal";
    EXPECT_EQ(use->holder.toStdString(), QStringLiteral("PID %1 (agetty)").arg(pid).toStdString());
    EXPECT_TRUE(use->remedy.contains(
        QStringLiteral("systemctl stop serial-getty@pts-%1.service").arg(device.index())))
        << use->remedy.toStdString();
}

}  // namespace

namespace {

TEST(PortRemedy, WellKnownHoldersGetTheirRemedyOthersNone) {
    struct Row {
        const char* comm;
        const char* device;
        const char* mustContain;  // empty: no remedy at all
    };
    const Row rows[] = {
        {"agetty", "/dev/ttyS0", "systemctl stop serial-getty@ttyS0.service"},
        {"getty", "/dev/ttyUSB1", "systemctl stop serial-getty@ttyUSB1.service"},
        {"mgetty", "/dev/ttyACM0", "systemctl stop serial-getty@ttyACM0.service"},
        {"agetty", "/dev/pts/7", "systemctl stop serial-getty@pts-7.service"},
        {"ModemManager", "/dev/ttyUSB0", "ID_MM_PORT_IGNORE=1"},
        {"ModemManager", "/dev/ttyUSB0", "mmcli --inhibit-device"},
        {"brltty", "/dev/ttyUSB0", "systemctl disable brltty.service"},
        {"minicom", "/dev/ttyUSB0", ""},
        {"agetty2", "/dev/ttyS0", ""},
        {"modemmanager", "/dev/ttyUSB0", ""},
        {"", "/dev/ttyS0", ""},
    };
    for (const Row& row : rows) {
        const QString remedy =
            remedyForProgram(QString::fromLatin1(row.comm), QString::fromLatin1(row.device));
        if (*row.mustContain) {
            EXPECT_TRUE(remedy.contains(QLatin1String(row.mustContain)))
                << row.comm << ": " << remedy.toStdString();
        } else {
            EXPECT_TRUE(remedy.isEmpty()) << row.comm << ": " << remedy.toStdString();
        }
    }
    EXPECT_EQ(consoleRemedy(QStringLiteral("ttyS0")),
              QStringLiteral("カーネルの起動パラメータから console=ttyS0 を外してください"));
}

TEST(PortRemedy, KernelNamesOfDevices) {
    const std::pair<const char*, const char*> rows[] = {{"/dev/ttyS0", "ttyS0"},
                                                        {"/dev/ttyUSB10", "ttyUSB10"},
                                                        {"/dev/pts/3", "pts3"},
                                                        {"/tmp/x/ttyS1", "ttyS1"}};
    for (const auto& [path, name] : rows)
        EXPECT_EQ(kernelTtyName(QLatin1String(path)).toStdString(), name) << path;
}

}  // namespace
