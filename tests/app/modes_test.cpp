// The program's modes run as a process: --list looks without opening, modes never override
// one another, a ports directory that cannot be read is a usage error, and the demo maps
// only its own bench.

#include "pty.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace qelv::test;

namespace {

struct Ran {
    int exitCode = -1;
    QByteArray out;
    QString err;
};

QProcess* start(const QStringList& args, const QString& portsEnv = {}) {
    auto* process = new QProcess;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QELV_PORTS"));
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.insert(QStringLiteral("COLUMNS"), QStringLiteral("1000"));  // no cell is shortened
    if (!portsEnv.isEmpty()) env.insert(QStringLiteral("QELV_PORTS"), portsEnv);
    process->setProcessEnvironment(env);
    process->start(QStringLiteral(QELV_BINARY_PATH), args);
    return process;
}

Ran finish(QProcess* process) {
    std::unique_ptr<QProcess> owned(process);
    EXPECT_TRUE(process->waitForFinished(60000));
    return {process->exitCode(), process->readAllStandardOutput(),
            QString::fromUtf8(process->readAllStandardError())};
}

Ran run(const QStringList& args, const QString& portsEnv = {}) {
    return finish(start(args, portsEnv));
}

// Sees every open of the files it watches. A FIFO and a pseudo-terminal slave stand in for
// serial devices: stat, readlink and sysfs reads leave no trace here, an open does.
class OpenWitness {
public:
    OpenWitness() : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}
    ~OpenWitness() { ::close(m_fd); }
    void watch(const QString& path) {
        EXPECT_GE(::inotify_add_watch(m_fd, QFile::encodeName(path).constData(), IN_OPEN), 0);
    }
    int opensSeen() {
        int seen = 0;
        alignas(inotify_event) char buffer[4096];
        for (ssize_t n; (n = ::read(m_fd, buffer, sizeof buffer)) > 0;)
            for (char* p = buffer; p < buffer + n;
                 p += sizeof(inotify_event) + reinterpret_cast<inotify_event*>(p)->len)
                ++seen;
        return seen;
    }

private:
    int m_fd;
};

struct WatchedPorts {
    Pty device;
    PortsDir dir;
    QString fifo = dir.path() + "/fifo";
    OpenWitness witness;
    WatchedPorts() {
        ::mkfifo(QFile::encodeName(fifo).constData(), 0600);
        dir.link(1, device.slavePath());
        dir.link(2, fifo);
        witness.watch(device.slavePath());
        witness.watch(fifo);
    }
    // The witness sees opens at all: one of our own must show.
    void expectTheWitnessSeesAnOpen() {
        const int fd = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK);
        ::close(fd);
        EXPECT_EQ(witness.opensSeen(), 1);
    }
};

TEST(ListMode, OpensNoDeviceAndListsEveryMappedPort) {
    WatchedPorts ports;
    const Ran text = run({"--list", "--ports", ports.dir.path()});
    const Ran json = run({"--list", "--json", "--ports", ports.dir.path()});
    EXPECT_EQ(ports.witness.opensSeen(), 0);
    ports.expectTheWitnessSeesAnOpen();

    EXPECT_EQ(text.exitCode, 0) << text.err.toStdString();
    const QList<QByteArray> lines = text.out.split('\n');
    ASSERT_EQ(lines.size(), 3) << text.out.toStdString();  // two lines and the last newline
    EXPECT_TRUE(lines[0].startsWith("COM1  ")) << lines[0].toStdString();
    EXPECT_TRUE(lines[0].contains("仮想端末")) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].startsWith("COM2  ")) << lines[1].toStdString();

    EXPECT_EQ(json.exitCode, 0) << json.err.toStdString();
    const QJsonArray listed = QJsonDocument::fromJson(json.out).object()["ports"].toArray();
    ASSERT_EQ(listed.size(), 2) << json.out.toStdString();
    EXPECT_EQ(listed[0].toObject()["node"].toString(), ports.device.slavePath());
    EXPECT_EQ(listed[0].toObject()["kind"].toString(), "virtual");
    EXPECT_EQ(listed[1].toObject()["kind"].toString(), "other");
}

// A device that vanished mid-survey, its entry left dangling, is shown under the node it
// opened, not under the entry's path, which a relative --ports makes relative.
TEST(HeadlessSurvey, AVanishedDeviceIsShownUnderTheNodeItOpened) {
    Pty device;
    PortsDir dir;
    dir.link(1, device.slavePath());
    const QString node = device.slavePath();
    auto* qelv = new QProcess;
    qelv->setWorkingDirectory(QFileInfo(dir.path()).absolutePath());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QELV_PORTS"));
    qelv->setProcessEnvironment(env);
    qelv->start(QStringLiteral(QELV_BINARY_PATH),
                {"--json", "--ports", QFileInfo(dir.path()).fileName()});
    QByteArray sent;
    for (int i = 0; i < 200 && !sent.contains("ATE0Q0V1\r\n"); ++i)
        sent += device.received(std::chrono::milliseconds(50));
    ASSERT_TRUE(sent.contains("ATE0Q0V1\r\n"));
    device.vanish();
    const Ran ran = finish(qelv);
    const QJsonObject com1 =
        QJsonDocument::fromJson(ran.out).object()["rows"].toArray()[0].toObject();
    EXPECT_EQ(com1["device"].toString(), node) << ran.out.toStdString();
    EXPECT_EQ(com1["at"].toObject()["mark"].toString(), "fail");
}

TEST(Modes, AnyOtherPairIsAUsageErrorNamingBoth) {
    const std::pair<QStringList, QStringList> rows[] = {
        {{"--text", "--json"}, {"--text", "--json"}},
        {{"--json", "--text"}, {"--json", "--text"}},
        {{"--list", "--text"}, {"--list", "--text"}},
        {{"--list", "--demo"}, {"--list", "--demo"}},
        {{"--demo", "--list", "--json"}, {"--demo", "--list"}},
        {{"--demo", "--text", "--json"}, {"--text", "--json"}},
        {{"--read-log", "x.log", "--text"}, {"--read-log", "--text"}},
        {{"--list", "--read-log=x.log"}, {"--list", "--read-log"}},
        {{"--demo", "--ports", "/tmp"}, {"--demo", "--ports"}},
    };
    for (const auto& [args, named] : rows) {
        const Ran r = run(args);
        EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString();
        const QString first = r.err.section(u'\n', 0, 0);
        EXPECT_TRUE(first.contains("exclude each other")) << r.err.toStdString();
        for (const QString& option : named)
            EXPECT_TRUE(first.contains(option)) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
}

TEST(Modes, APortsDirectoryThatCannotBeReadIsAUsageError) {
    QTemporaryDir dir;
    QFile plain(dir.filePath("plain"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    const std::pair<QStringList, QString> rows[] = {
        {{"--list", "--ports", "/nonexistent/qelv"}, {}},
        {{"--text", "--ports", plain.fileName()}, {}},
        {{"--json"}, "/nonexistent/qelv"},
        {{"--list"}, plain.fileName()},
    };
    for (const auto& [args, env] : rows) {
        const Ran r = run(args, env);
        EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString() << " " << env.toStdString();
        EXPECT_TRUE(r.err.contains("ports directory")) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
}

TEST(Modes, EntriesMeantAsComNamesAreNamedInOneWarning) {
    PortsDir ports;
    for (const char* name : {"COM3", "com01", "com17", "notes.txt"})
        QFile(ports.path() + "/" + name).open(QIODevice::WriteOnly);
    ports.link(2, "/nonexistent/qelv");
    const Ran r = run({"--list", "--ports", ports.path()});
    EXPECT_EQ(r.exitCode, 0);
    const QStringList lines = r.err.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1) << r.err.toStdString();
    for (const char* name : {"warning", "COM3", "com01", "com17"})
        EXPECT_TRUE(lines[0].contains(name)) << name;
    EXPECT_FALSE(lines[0].contains("notes.txt"));
    EXPECT_TRUE(r.out.startsWith("COM2  "));

    EXPECT_TRUE(run({"--list", "--ports", PortsDir().path()}).err.isEmpty());
}

TEST(DemoMode, JsonAndTextShowTheBenchAndOpenNoOtherDevice) {
    WatchedPorts elsewhere;  // what $QELV_PORTS names must not be surveyed
    QProcess* json = start({"--demo", "--json"}, elsewhere.dir.path());
    QProcess* text = start({"--text", "--demo"}, elsewhere.dir.path());
    const Ran j = finish(json);
    const Ran t = finish(text);
    EXPECT_EQ(elsewhere.witness.opensSeen(), 0);
    elsewhere.expectTheWitnessSeesAnOpen();

    ASSERT_EQ(j.exitCode, 0) << j.err.toStdString();
    const QJsonArray rows = QJsonDocument::fromJson(j.out).object()["rows"].toArray();
    ASSERT_EQ(rows.size(), 16) << j.out.toStdString();
    EXPECT_TRUE(rows[0].toObject()["info"].toObject()["text"].toString().contains("SIM-5600"));
    EXPECT_NE(rows[0].toObject()["device"].toString(), elsewhere.device.slavePath());
    EXPECT_TRUE(rows[2].toObject()["device"].isNull());  // COM3 has no bench device

    ASSERT_EQ(t.exitCode, 0) << t.err.toStdString();
    EXPECT_FALSE(t.out.startsWith('{'));
    bool simulated = false;
    for (const QByteArray& line : t.out.split('\n'))
        simulated |= line.startsWith("COM1 ") && line.contains("SIM-5600");
    EXPECT_TRUE(simulated) << t.out.toStdString();
}

}  // namespace
