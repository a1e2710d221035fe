#include "portuse.h"
#include "holder.h"
#include "modemsim/pty.h"
#include "portguard.h"
#include "pty.h"
#include "qtserialport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <fcntl.h>
#include <poll.h>
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

}  // namespace
