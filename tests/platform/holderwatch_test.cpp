// The table of holders kept between in-use checks: what makes a new pass over the processes
// and what does not.

#include "holderwatch.h"
#include "holder.h"
#include "modemsim/pty.h"
#include "portuse.h"
#include "qtserialport.h"

#include <gtest/gtest.h>

#include <QFile>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <stdexcept>

using namespace qelv;
using namespace qelv::test;

namespace {

// A pseudo-terminal whose device side is another process; this one keeps no descriptor on
// it, so what its own children inherit cannot be why a pass is made.
struct ServedPty {
    modemsim::RawPty pty = modemsim::openRawPty();
    Holder side{pty.master.get(), pty.slave.get()};
    QString path = QString::fromStdString(pty.slavePath);
    ServedPty() {
        pty.master.reset();
        pty.slave.reset();
    }
};

// A child that does as it is told, one letter at a time: 'o' opens the device, 'f' forks a
// grandchild that keeps the descriptor, 'c' closes its own. Each answer is a pid: the
// grandchild's for 'f', its own otherwise. Only async-signal-safe calls after the fork.
class Puppet {
public:
    explicit Puppet(const QString& path) : m_path(QFile::encodeName(path)) {
        if (::pipe(m_commands) != 0 || ::pipe(m_answers) != 0) throw std::runtime_error("pipe");
        m_pid = ::fork();
        if (m_pid == 0) run();
        ::close(m_commands[0]);
        ::close(m_answers[1]);
    }
    ~Puppet() {
        if (m_grandchild > 0) ::kill(m_grandchild, SIGKILL);
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
        ::close(m_commands[1]);
        ::close(m_answers[0]);
    }
    pid_t pid() const { return m_pid; }
    pid_t tell(char command) {
        pid_t answer = -1;
        if (::write(m_commands[1], &command, 1) != 1 ||
            ::read(m_answers[0], &answer, sizeof answer) != sizeof answer)
            throw std::runtime_error("puppet");
        if (command == 'f') m_grandchild = answer;
        return answer;
    }

private:
    [[noreturn]] void run() {
        for (int fd = 3; fd < 1024; ++fd)
            if (fd != m_commands[0] && fd != m_answers[1]) ::close(fd);
        int device = -1;
        for (char c; ::read(m_commands[0], &c, 1) == 1;) {
            pid_t answer = ::getpid();
            if (c == 'o') device = ::open(m_path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
            if (c == 'c') ::close(device);
            if (c == 'f' && (answer = ::fork()) == 0)
                for (;;) ::pause();
            [[maybe_unused]] auto w = ::write(m_answers[1], &answer, sizeof answer);
        }
        ::_exit(0);
    }

    QByteArray m_path;
    int m_commands[2] = {-1, -1};
    int m_answers[2] = {-1, -1};
    pid_t m_pid = -1;
    pid_t m_grandchild = -1;
};

QString heldBy(const QString& path) {
    const auto use = findPortUse(path);
    return use ? use->holder : QString();
}

QString label(pid_t pid) {
    return QStringLiteral("PID %1").arg(pid);
}

TEST(HolderWatch, AProgramThatOpensTheDeviceAfterThePassIsFoundAtTheNextCheck) {
    ServedPty device;
    Puppet program(device.path);
    EXPECT_TRUE(heldBy(device.path).isEmpty());
    const std::uint64_t passes = holderPassesMade();
    EXPECT_TRUE(heldBy(device.path).isEmpty());
    EXPECT_EQ(holderPassesMade(), passes);  // nothing happened: the pass serves
    program.tell('o');
    EXPECT_TRUE(heldBy(device.path).startsWith(label(program.pid())));
    EXPECT_EQ(holderPassesMade(), passes + 1);
}

TEST(HolderWatch, OurOwnOpensMakeNoNewPass) {
    ServedPty device;
    QtSerialPort port(PortMap::single(device.path));
    port.setCommPort(1);
    port.setPortOpen(true);  // its check makes the pass
    port.setPortOpen(false);
    const std::uint64_t passes = holderPassesMade();
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(heldBy(device.path).isEmpty());
        port.setPortOpen(true);
        port.setPortOpen(false);
    }
    EXPECT_EQ(holderPassesMade(), passes);
}

TEST(HolderWatch, AHolderThatHandsTheDeviceOnBeforeLettingGoIsFollowed) {
    ServedPty device;
    Puppet program(device.path);
    program.tell('o');  // before the device is watched: only a pass can know
    EXPECT_TRUE(heldBy(device.path).startsWith(label(program.pid())));
    const pid_t heir = program.tell('f');
    program.tell('c');
    EXPECT_TRUE(heldBy(device.path).startsWith(label(heir)));
}

TEST(HolderWatch, SeveralDevicesAskedAtOnceShareOnePass) {
    ServedPty a, b, c;
    const std::uint64_t passes = holderPassesMade();
    const auto uses = findPortUses({a.path, b.path, c.path});
    ASSERT_EQ(uses.size(), 3u);
    for (const auto& use : uses) EXPECT_FALSE(use.has_value());
    EXPECT_EQ(holderPassesMade(), passes + 1);
}

}  // namespace
