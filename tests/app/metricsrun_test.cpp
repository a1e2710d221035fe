// --metrics and --output as a process, against the modem simulator: promtool and the node
// exporter's textfile collector read what it writes, and a run that is interrupted or fails
// leaves the old file as it was.

#include "modemsim/simulatorprocess.h"
#include "promtool.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#include <csignal>

using namespace qelv;

namespace {

struct Ran {
    int exitCode = -1;
    QByteArray out;
    QString err;
};

QProcess* start(const QStringList& args) {
    auto* process = new QProcess;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QELV_PORTS"));
    process->setProcessEnvironment(env);
    process->start(QStringLiteral(QELV_BINARY_PATH), args);
    EXPECT_TRUE(process->waitForStarted(5000));
    return process;
}

Ran finish(QProcess* process) {
    std::unique_ptr<QProcess> owned(process);
    EXPECT_TRUE(process->waitForFinished(60000));
    return {process->exitStatus() == QProcess::NormalExit ? process->exitCode() : -1,
            process->readAllStandardOutput(), QString::fromUtf8(process->readAllStandardError())};
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes, mode_t mode) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    ::chmod(QFile::encodeName(path).constData(), mode);
}

mode_t modeOf(const QString& path) {
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 07777;
}

// Waits (bounded) until the device has received `text`.
bool waitForReceived(const SimulatorProcess& sim, int n, const std::string& text) {
    for (int i = 0; i < 200; ++i) {
        if (sim.received(n).find(text) != std::string::npos) return true;
        QThread::msleep(25);
    }
    return false;
}

// A bench whose ports directory has a name no label value may carry as it is: a quote, a
// backslash, a line feed and a C1 control (NEL) in UTF-8.
struct HostileBench {
    HostileBench()
        : dir(root.path() + QString::fromUtf8("/we\"ird\\dir\nx\xC2\x85y")),
          sim((QDir().mkpath(dir), QELV_MODEMSIM_PATH), dir.toStdString(),
              {"hayes@1", "silent@2", "noisy@3", "error@4", "lowerok@5"}) {
        // A COM number whose entry leads nowhere: mapped, not openable, shown under the node
        // it names.
        QFile::link(dir + "/gone", dir + "/com6");
    }
    QTemporaryDir root;
    QString dir;
    SimulatorProcess sim;
};

TEST(MetricsRun, PromtoolAcceptsASurveyOfTheBenchWithoutAWord) {
    HostileBench bench;
    const Ran ran = finish(start({"--metrics", "--parallel", "--ports", bench.dir}));
    ASSERT_EQ(ran.exitCode, 0) << ran.err.toStdString();
    const test::PromtoolVerdict verdict = test::promtoolCheck(ran.out);
    EXPECT_EQ(verdict.exitCode, 0) << verdict.said.toStdString();
    EXPECT_TRUE(verdict.said.isEmpty()) << verdict.said.toStdString();

    const QString out = QString::fromUtf8(ran.out);
    const QString com1 = QStringLiteral("{port=\"COM1\",device=\"%1\"}")
                             .arg(QString::fromStdString(bench.sim.devicePath(1)));
    for (const QString& sample :
         {"qelv_port_open" + com1 + " 1", "qelv_port_in_use" + com1 + " 0",
          "qelv_port_at_ok" + com1 + " 1", "qelv_port_info_ok" + com1 + " 1",
          QStringLiteral("qelv_survey_complete 1"), QStringLiteral("qelv_survey_ports 6")})
        EXPECT_TRUE(out.contains(sample + u'\n')) << sample.toStdString() << "\n"
                                                  << out.toStdString();
    EXPECT_TRUE(
        out.contains(QRegularExpression("\nqelv_port_answer_seconds\\{port=\"COM1\",[^}]*\\} "
                                        "0\\.[0-9]{3}\n")));
    EXPECT_TRUE(out.contains("device=\"" + bench.root.path() +
                             "/we\\\"ird\\\\\\\\dir\\\\nx\\\\x85y/gone\"} 0\n"))
        << out.toStdString();
    EXPECT_TRUE(out.contains("qelv_port_at_ok{port=\"COM2\""));
    EXPECT_FALSE(out.contains("qelv_port_info_ok{port=\"COM2\""));  // not tried
}

// With --identify, what the devices said of themselves reaches the metrics as device_info
// labels; a device that names nothing has no such series, and promtool still finds no fault.
TEST(MetricsRun, IdentifiedDevicesCarryTheirNamesAsInfoLabels) {
    QTemporaryDir dir;
    const SimulatorProcess sim(QELV_MODEMSIM_PATH, dir.path().toStdString(),
                               {"quectel-ec25@1", "silent@2"});
    const Ran ran = finish(start({"--metrics", "--parallel", "--identify", "--ports", dir.path()}));
    ASSERT_EQ(ran.exitCode, 0) << ran.err.toStdString();
    const test::PromtoolVerdict verdict = test::promtoolCheck(ran.out);
    EXPECT_EQ(verdict.exitCode, 0) << verdict.said.toStdString();
    EXPECT_TRUE(verdict.said.isEmpty()) << verdict.said.toStdString();
    const QString out = QString::fromUtf8(ran.out);
    const QString com1 = QStringLiteral("qelv_device_info{port=\"COM1\",device=\"%1\",")
                             .arg(QString::fromStdString(sim.devicePath(1)));
    EXPECT_TRUE(out.contains(com1 +
                             "manufacturer=\"Quectel\",model=\"EC25\","
                             "revision=\"EC25EFAR06A06M4G\",serial=\"866758040123456\"} 1\n"))
        << out.toStdString();
    EXPECT_FALSE(out.contains("qelv_device_info{port=\"COM2\"")) << out.toStdString();
}

// Debian's node exporter, started here on 127.0.0.1 with only its textfile collector, on a
// port the system chooses, reads it back.
class NodeExporter {
public:
    explicit NodeExporter(const QString& textfileDir) {
        const QString exporter =
            QStandardPaths::findExecutable(QStringLiteral("prometheus-node-exporter"));
        if (exporter.isEmpty()) return;
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(exporter, {"--collector.disable-defaults", "--collector.textfile",
                                   "--collector.textfile.directory=" + textfileDir,
                                   "--web.listen-address=127.0.0.1:0"});
        static const QRegularExpression listening(
            QStringLiteral("msg=\"Listening on\" address=127\\.0\\.0\\.1:([0-9]+)"));
        QByteArray said;
        for (int i = 0; i < 100 && m_port == 0; ++i) {
            m_process.waitForReadyRead(100);
            said += m_process.readAll();
            const auto match = listening.match(QString::fromUtf8(said));
            if (match.hasMatch()) m_port = match.captured(1).toInt();
        }
    }
    ~NodeExporter() {
        m_process.terminate();
        m_process.waitForFinished(5000);
    }
    int port() const { return m_port; }

    // GET /metrics over a plain socket: the body, or nothing.
    QByteArray scrape() const {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(m_port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        QByteArray response;
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
            const char request[] = "GET /metrics HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";
            if (::write(fd, request, sizeof request - 1) == sizeof request - 1) {
                char buffer[4096];
                for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;)
                    response.append(buffer, got);
            }
        }
        ::close(fd);
        const qsizetype body = response.indexOf("\r\n\r\n");
        return body < 0 ? QByteArray() : response.mid(body + 4);
    }

private:
    QProcess m_process;
    int m_port = 0;
};

TEST(MetricsRun, TheNodeExportersTextfileCollectorServesTheSeries) {
    HostileBench bench;
    QTemporaryDir textfiles;
    const QString file = textfiles.path() + "/qel-v.prom";
    const Ran ran =
        finish(start({"--metrics", "--parallel", "--ports", bench.dir, "--output", file}));
    ASSERT_EQ(ran.exitCode, 0) << ran.err.toStdString();
    EXPECT_TRUE(ran.out.isEmpty());
    EXPECT_EQ(modeOf(file), 0644u);

    NodeExporter exporter(textfiles.path());
    ASSERT_NE(exporter.port(), 0) << "prometheus-node-exporter did not start (scripts/deps.sh)";
    const QString scraped = QString::fromUtf8(exporter.scrape());
    EXPECT_TRUE(scraped.contains("\nnode_textfile_scrape_error 0\n")) << scraped.toStdString();
    // The exporter sorts the labels by name.
    const QString device = QString::fromStdString(bench.sim.devicePath(1));
    for (const QString& sample :
         {"qelv_port_at_ok{device=\"" + device + "\",port=\"COM1\"} 1",
          QStringLiteral("qelv_port_at_ok{device=\"%1\",port=\"COM2\"} 0")
              .arg(QString::fromStdString(bench.sim.devicePath(2))),
          QStringLiteral("qelv_survey_complete 1"), QStringLiteral("qelv_survey_ports 6")})
        EXPECT_TRUE(scraped.contains(sample)) << sample.toStdString();
    EXPECT_TRUE(scraped.contains("# TYPE qelv_port_answer_seconds gauge"));
}

// The folder holds exactly the old file, with its bytes and its mode.
void expectOldFileAlone(const QTemporaryDir& folder, const QString& file, const QByteArray& old,
                        mode_t mode) {
    EXPECT_EQ(readAll(file), old);
    EXPECT_EQ(modeOf(file), mode);
    EXPECT_EQ(QDir(folder.path())
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
              QStringList{QFileInfo(file).fileName()});
}

class InterruptedOutput : public ::testing::TestWithParam<int> {};

TEST_P(InterruptedOutput, LeavesTheOldFileAndNoTemporaryFile) {
    QTemporaryDir ports;
    SimulatorProcess sim(QELV_MODEMSIM_PATH, ports.path().toStdString(), {"hayes@1", "silent@2"});
    QTemporaryDir folder;
    const QString file = folder.path() + "/qel-v.prom";
    writeFile(file, "# the last survey\n", 0640);
    QProcess* qelv = start({"--metrics", "--ports", ports.path(), "--output", file});
    ASSERT_TRUE(waitForReceived(sim, 2, "ATE0Q0V1\r\n"));
    ::kill(static_cast<pid_t>(qelv->processId()), GetParam());
    const Ran ran = finish(qelv);
    EXPECT_EQ(ran.exitCode, 128 + GetParam());
    EXPECT_TRUE(ran.out.isEmpty()) << "not even Ctrl-C's survey so far goes to stdout";
    expectOldFileAlone(folder, file, "# the last survey\n", 0640);
}

INSTANTIATE_TEST_SUITE_P(Signals, InterruptedOutput, ::testing::Values(SIGINT, SIGTERM, SIGHUP));

TEST(OutputFile, AFolderThatCannotBeWrittenFailsBeforeAnyPortIsTouched) {
    QTemporaryDir ports;
    SimulatorProcess sim(QELV_MODEMSIM_PATH, ports.path().toStdString(), {"hayes@1"});
    const Ran ran =
        finish(start({"--json", "--ports", ports.path(), "--output", ports.path() + "/no/x.json"}));
    EXPECT_EQ(ran.exitCode, 1);
    EXPECT_TRUE(ran.err.startsWith("qel-v: cannot write " + ports.path() + "/no/x.json: "))
        << ran.err.toStdString();
    EXPECT_TRUE(ran.out.isEmpty());
    EXPECT_EQ(sim.received(1), "");
}

// A write that fails half-way (the file size limit; the signal it raises is ignored, as a
// full disk raises none) keeps the old file.
TEST(OutputFile, AWriteThatFailsKeepsTheOldFile) {
    QTemporaryDir ports;
    SimulatorProcess sim(QELV_MODEMSIM_PATH, ports.path().toStdString(), {"noisy@1", "hayes@2"});
    QTemporaryDir folder;
    const QString file = folder.path() + "/survey.txt";
    writeFile(file, "old\n", 0600);
    QProcess process;
    process.setChildProcessModifier([] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{200, 200};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    });
    process.start(QStringLiteral(QELV_BINARY_PATH),
                  {"--text", "--parallel", "--ports", ports.path(), "--output", file});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_TRUE(
        QString::fromUtf8(process.readAllStandardError()).startsWith("qel-v: cannot write "));
    expectOldFileAlone(folder, file, "old\n", 0600);
}

TEST(OutputFile, ReplacesTheFileWholeKeepingItsModeAndGivesANewOne0644) {
    QTemporaryDir ports;
    SimulatorProcess sim(QELV_MODEMSIM_PATH, ports.path().toStdString(), {"hayes@1"});
    QTemporaryDir folder;
    const QString kept = folder.path() + "/ports.json";
    writeFile(kept, "old", 0600);
    const Ran list = finish(start({"--list", "--json", "--ports", ports.path(), "--output", kept}));
    EXPECT_EQ(list.exitCode, 0) << list.err.toStdString();
    EXPECT_TRUE(list.out.isEmpty());
    EXPECT_TRUE(readAll(kept).startsWith("{\"ports\":[{\"")) << readAll(kept).toStdString();
    EXPECT_EQ(modeOf(kept), 0600u);

    // A new file is readable by the node exporter's user whatever the umask says.
    const QString fresh = folder.path() + "/survey.txt";
    QProcess process;
    process.setChildProcessModifier([] { ::umask(077); });
    process.start(QStringLiteral(QELV_BINARY_PATH),
                  {"--list", "--ports", ports.path(), "--output", fresh});
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_TRUE(readAll(fresh).startsWith("COM1  "));
    EXPECT_EQ(modeOf(fresh), 0644u);
}

}  // namespace
