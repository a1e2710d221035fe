// Whole surveys over real pseudo-terminals: the simulator's devices, and entries that are
// not ports at all. Time runs ten times faster than real time.

#include "gridrender.h"
#include "mainform.h"
#include "mdcomm.h"
#include "memorywidgets.h"
#include "modemsim/pty.h"
#include "modemsim/simulatorprocess.h"
#include "pty.h"
#include "qteventpump.h"
#include "qtserialport.h"
#include "scaledtime.h"
#include "surveytexts.h"
#include "textescape.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <malloc.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <thread>

using namespace qelv;
using namespace qelv::test;

namespace {

constexpr int kSpeedUp = 10;

// Bytes the allocator has handed out and not taken back. Unlike the resident set, this is
// not moved by huge pages, mapped files or libraries that load lazily. Under the sanitizers
// malloc is not glibc's and this stays flat, so only the normal build checks the bound.
std::size_t heapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// Samples the heap each time an operation lets events run, so a wait's peak is seen.
class HeapSamplingPump final : public EventPump {
public:
    void pumpPending() override {
        m_inner.pumpPending();
        sample();
    }
    void waitForEvents(std::chrono::milliseconds timeout) override {
        m_inner.waitForEvents(timeout);
        sample();
    }
    void pumpCloseRequests() override { m_inner.pumpCloseRequests(); }
    std::size_t peak() const { return m_peak; }

private:
    void sample() { m_peak = std::max(m_peak, heapInUse()); }

    QtEventPump m_inner;
    std::size_t m_peak = 0;
};

struct SurveyRun {
    explicit SurveyRun(const QString& portsDir)
        : port(PortMap::fromDirectory(portsDir)),
          unit(clock, pump, port),
          form(widgets.widgets(), {.pump = pump,
                                   .unit = [this]() -> Mdcomm& { return unit; },
                                   .describePort = [](int) { return QString(); }}) {
        form.Form_Load();
        form.Form_Resize();
    }
    const GridCell& cell(int row, int col) const {
        return widgets.MSFlexGrid1.cells().at(row, col);
    }

    ScaledClock clock{kSpeedUp};
    ScaledPump pump{kSpeedUp};
    QtSerialPort port;
    Mdcomm unit;
    MemoryForm widgets;
    MainForm form;
};

struct SimulatedBench : ::testing::Test {
    QTemporaryDir dir;
    std::unique_ptr<SimulatorProcess> sim;
    void start(std::vector<std::string> profiles) {
        sim = std::make_unique<SimulatorProcess>(QELV_MODEMSIM_PATH, dir.path().toStdString(),
                                                 std::move(profiles));
    }
};

TEST_F(SimulatedBench, WholeSurveyOfABenchOfDevices) {
    // late answers after 400 ms real = 4000 ms of survey time, past the 2000 ms limit.
    start({"hayes@1", "error@3", "silent@4", "lowerok@5", "nolf@6", "late:400@8", "noisy@9"});
    QFile::link("/dev/null", dir.filePath("com10"));
    SurveyRun run(dir.path());
    run.form.Command1_Click();

    EXPECT_EQ(run.cell(1, 2).text, "ATE0Q0V1\r\r\nOK\r\n");  // echo was still on
    EXPECT_EQ(run.cell(1, 2).backColor, survey::kMark);
    // I2 answers "OK" on a line of its own, which already is the stop text: the reply ends
    // with the read that completed it.
    EXPECT_TRUE(
        run.cell(1, 3).text.startsWith("\r\nQEL Simulation Works SIM-5600 Rev 4\r\n\r\nOK\r\n"));
    EXPECT_EQ(run.cell(1, 3).backColor, survey::kMark);

    EXPECT_EQ(run.cell(3, 2).backColor, survey::kMark);  // accepts AT, refuses ATI
    EXPECT_TRUE(run.cell(3, 3).text.isEmpty());
    EXPECT_EQ(run.cell(3, 3).backColor, survey::kWhite);

    for (int silentish : {4, 5, 8}) {  // silent, lower-case ok, too late
        EXPECT_EQ(run.cell(silentish, 1).backColor, survey::kMark) << silentish;
        EXPECT_TRUE(run.cell(silentish, 2).text.isEmpty()) << silentish;
        EXPECT_EQ(run.cell(silentish, 2).backColor, survey::kWhite) << silentish;
        EXPECT_EQ(run.cell(silentish, 3).backColor, Grid::kNoColor) << silentish;
    }
    EXPECT_EQ(run.cell(6, 2).text, "OK");  // no line end: passes after the full limit
    EXPECT_EQ(run.cell(6, 2).backColor, survey::kMark);
    EXPECT_TRUE(run.cell(9, 2).text.contains("\x1b[2J"));  // kept exactly; escaping is the view's
    EXPECT_EQ(run.cell(10, 1).backColor, survey::kWhite);
    EXPECT_EQ(run.cell(2, 1).backColor, survey::kWhite);

    // Exactly the two commands reach a modem, and nothing reaches a port that did not open.
    EXPECT_EQ(sim->received(1), "ATE0Q0V1\r\nATI4I2I0\r\n");
    EXPECT_EQ(sim->received(4), "ATE0Q0V1\r\n");
    EXPECT_FALSE(run.port.portOpen());
}

TEST_F(SimulatedBench, PortThatVanishesBetweenSurveysKeepsItsColumnTwo) {
    start({"hayes@2"});
    SurveyRun run(dir.path());
    run.form.Command1_Click();
    ASSERT_EQ(run.cell(2, 3).backColor, survey::kMark);
    QFile::remove(dir.filePath("com2"));
    run.form.Command1_Click();
    EXPECT_EQ(run.cell(2, 1).backColor, survey::kWhite);
    EXPECT_EQ(run.cell(2, 2).text, "ATE0Q0V1\r\r\nOK\r\n");
    EXPECT_EQ(run.cell(2, 2).backColor, survey::kMark);
    EXPECT_TRUE(run.cell(2, 3).text.isEmpty());
    EXPECT_EQ(run.cell(2, 3).backColor, survey::kWhite);
}

TEST_F(SimulatedBench, DeviceThatVanishesMidExchangeIsAWhiteMarkAndTheSurveyGoesOn) {
    start({"vanish@1", "hayes@2"});
    SurveyRun run(dir.path());
    run.form.Command1_Click();
    EXPECT_EQ(run.cell(1, 2).backColor, survey::kWhite);
    EXPECT_EQ(run.cell(2, 3).backColor, survey::kMark);
}

// A white AT cell keeps its text and colour and says why: the reason and what the device said.
TEST_F(SimulatedBench, EachFailedCheckKeepsItsReasonAndReply) {
    start({"silent@1", "error@2", "lowerok@3", "vanish@4", "hayes@5"});
    SurveyRun run(dir.path());
    run.form.Command1_Click();
    struct Expected {
        int row, col;
        QString reason;
        QString reply;
    };
    const Expected rows[] = {
        {1, 2, "応答がありません（2000 ms 以内）", ""},
        {2, 3, "「OK」を含まない応答です", "\r\nERROR\r\n"},
        {3, 2, "「OK」を含まない応答です", "\r\nok\r\n"},
        {4, 2, QStringLiteral("機器との接続が切れました（エラー %1）").arg(errc::kPortIoFailed),
         ""},
    };
    for (const Expected& e : rows) {
        const GridCell& cell = run.cell(e.row, e.col);
        EXPECT_TRUE(cell.text.isEmpty()) << e.row;
        EXPECT_EQ(cell.backColor, survey::kWhite) << e.row;
        EXPECT_EQ(cell.toolTip, e.reason) << e.row;
        EXPECT_EQ(cell.reply, e.reply) << e.row;
        EXPECT_EQ(cellNote(cell),
                  e.reply.isEmpty() ? e.reason : e.reason + "\n応答: " + escapeForTerminal(e.reply))
            << e.row;
    }
    // Passed cells say nothing against themselves.
    for (int col : {2, 3}) {
        EXPECT_EQ(run.cell(5, col).backColor, survey::kMark);
        EXPECT_TRUE(run.cell(5, col).toolTip.isEmpty());
        EXPECT_TRUE(run.cell(5, col).reply.isEmpty());
    }
    EXPECT_EQ(run.cell(2, 2).backColor, survey::kMark);
    EXPECT_TRUE(run.cell(2, 2).toolTip.isEmpty());

    // The same, as --text prints it under the table and --json holds it.
    const QString table = renderTable(run.widgets.MSFlexGrid1.cells(), {}, true);
    EXPECT_TRUE(table.contains("\nCOM1 ATコマンド 対応状況: 応答がありません（2000 ms 以内）\n"))
        << table.toStdString();
    EXPECT_TRUE(
        table.contains("\nCOM2 機器情報: 「OK」を含まない応答です\n    応答: \\r\\nERROR\\r\\n\n"));
    EXPECT_TRUE(table.contains(
        "\nCOM3 ATコマンド 対応状況: 「OK」を含まない応答です\n    応答: \\r\\nok\\r\\n\n"));
    EXPECT_TRUE(
        table.contains("\nCOM4 ATコマンド 対応状況: 機器との接続が切れました（エラー 8015）\n"));
    const QJsonArray json =
        QJsonDocument::fromJson(renderJson(run.widgets.MSFlexGrid1.cells(), {}, true))
            .object()["rows"]
            .toArray();
    for (const Expected& e : rows) {
        const QJsonObject cell = json[e.row - 1].toObject()[e.col == 2 ? "at" : "info"].toObject();
        EXPECT_EQ(cell["mark"].toString(), "fail") << e.row;
        EXPECT_EQ(cell["error"].toString(), e.reason) << e.row;
        EXPECT_EQ(cell["reply"].toString(), e.reply) << e.row;
    }
    EXPECT_FALSE(json[4].toObject()["at"].toObject().contains("error"));
}

// Whatever sixteen devices do, a survey ends within what its waits add up to: each tried
// port costs at most 1000 + 2000 ms in each AT pass. The margin only absorbs a loaded
// machine; a hang or a wait that restarts would blow through it.
TEST_F(SimulatedBench, SixteenHostileDevicesStillEndWithinTheBound) {
    start({"flood@1", "silent@2", "vanish@3", "noisy@4", "late:400@5", "nolf@6", "lowerok@7",
           "error@8", "hayes@9", "flood:1000@10", "silent@11", "vanish@12", "flood@13", "silent@14",
           "noisy@15", "hayes@16"});
    SurveyRun run(dir.path());
    const std::int32_t start = run.clock.tickCount();
    run.form.Command1_Click();
    const std::int64_t took = ticksBetween(start, run.clock.tickCount());
    EXPECT_LE(took, 2 * 16 * 3000 * 5 / 4);
    EXPECT_EQ(run.cell(1, 2).backColor, survey::kWhite);  // flood: no OK in the whole limit
    EXPECT_EQ(run.cell(9, 3).backColor, survey::kMark);
    EXPECT_EQ(run.cell(16, 3).backColor, survey::kMark);
    EXPECT_EQ(run.cell(3, 2).backColor, survey::kWhite);  // vanished mid-exchange
    EXPECT_FALSE(run.port.portOpen());
}

// A device that floods for the whole time limit: the reply keeps at most kReplyCap
// characters and the heap stays bounded, while the exchange still runs its full limit.
// The heap, not the resident set: huge pages and lazily mapped files move the latter by
// tens of megabytes on some machines, whatever the program holds.
TEST_F(SimulatedBench, FloodForTheWholeLimitKeepsMemoryBounded) {
    start({"flood@1"});
    SystemTickClock clock;
    HeapSamplingPump pump;
    QtSerialPort port(PortMap::fromDirectory(dir.path()));
    Mdcomm unit(clock, pump, port);
    port.setCommPort(1);
    port.setPortOpen(true);
    const std::size_t before = heapInUse();
    const std::int32_t started = clock.tickCount();
    const QString reply = unit.SendModem("AT", 2000, "OK");
    const std::int64_t took = ticksBetween(started, clock.tickCount());
    const std::size_t peak = std::max(pump.peak(), heapInUse());
    const std::size_t grown = peak > before ? peak - before : 0;
    RecordProperty("heap_growth_bytes", std::to_string(grown));
    EXPECT_GE(took, 2000);
    EXPECT_EQ(reply.size(), Mdcomm::kReplyCap);
    // The newest part of the stream, cut anywhere: nothing but DATA over and over.
    const QString word = QStringLiteral("DATA");
    const qsizetype start = reply.indexOf(word);
    ASSERT_TRUE(start >= 0 && start < word.size()) << start;
    EXPECT_EQ(reply.left(start), word.right(start));
    const QString stream = word.repeated(reply.size() / word.size() + 1);
    EXPECT_TRUE(QStringView(reply).mid(start) == QStringView(stream).left(reply.size() - start));
    // Capped, the reply and its trimming slack come to about 5 MB; uncapped, this flood
    // came to 17 MB on a two-core machine (and the size check above fails anyway).
    EXPECT_LT(grown, std::size_t{12} << 20) << "heap grew by " << grown << " bytes";
    port.setPortOpen(false);
}

// A device that sends as fast as a pseudo-terminal takes, from the moment it exists, as
// `socat -u OPEN:/dev/urandom PTY` does.
class FloodingDevice {
public:
    FloodingDevice() : m_pty(modemsim::openRawPty()) {
        m_thread = std::thread([this] { run(); });
    }
    ~FloodingDevice() {
        m_stop = true;
        m_thread.join();
    }
    QString slavePath() const { return QString::fromStdString(m_pty.slavePath); }

private:
    void run() {
        const std::string chunk(4096, '\xA5');
        while (!m_stop) {
            pollfd writable{m_pty.master.get(), POLLOUT, 0};
            if (::poll(&writable, 1, 20) > 0) [[maybe_unused]]
                auto n = ::write(m_pty.master.get(), chunk.data(), chunk.size());
        }
    }

    modemsim::RawPty m_pty;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

// The settling wait reads nothing while the device floods: what the port holds meanwhile,
// and what the input drain then returns, stay bounded.
TEST(FloodFromTheStart, SettlingWaitAndInputDrainKeepMemoryBounded) {
    FloodingDevice device;
    PortsDir ports;
    ports.link(1, device.slavePath());
    SystemTickClock clock;
    HeapSamplingPump pump;
    QtSerialPort port(PortMap::fromDirectory(ports.path()));
    Mdcomm unit(clock, pump, port);
    port.setCommPort(1);
    port.setPortOpen(true);
    const std::size_t before = heapInUse();
    unit.Waits(1000);
    const QString drained = unit.ComportBufClr();
    const std::size_t peak = std::max(pump.peak(), heapInUse());
    const std::size_t grown = peak > before ? peak - before : 0;
    RecordProperty("heap_growth_bytes", std::to_string(grown));
    EXPECT_GT(drained.size(), 0);
    EXPECT_LE(drained.size(), Mdcomm::kReplyCap);
    // What the port holds and one drained reply come to a few megabytes; unbounded, the port
    // took in hundreds of megabytes in the settling second alone.
    EXPECT_LT(grown, std::size_t{12} << 20) << "heap grew by " << grown << " bytes";
    port.setPortOpen(false);
}

TEST(SurveyEntries, PassOneOnPseudoTerminalsAndEntriesThatAreNotPorts) {
    Pty com9, com10, com16;
    PortsDir ports;
    QTemporaryDir aDirectory;
    ports.link(9, com9.slavePath());
    ports.link(10, com10.slavePath());
    ports.link(16, com16.slavePath());
    ports.link(1, "/dev/null");
    ports.link(2, aDirectory.path());
    ports.link(3, "/nonexistent/qelv");
    SurveyRun run(ports.path());
    run.form.Command1_Click();
    for (int n = 1; n <= 16; ++n) {
        EXPECT_EQ(run.cell(n, 0).text, QStringLiteral("COM%1").arg(n));
        const bool opens = n == 9 || n == 10 || n == 16;
        EXPECT_EQ(run.cell(n, 1).text, opens ? "OK" : "") << n;
        EXPECT_EQ(run.cell(n, 1).backColor, opens ? survey::kMark : survey::kWhite) << n;
        EXPECT_EQ(run.cell(n, 1).toolTip.isEmpty(), opens) << n;
    }
    EXPECT_EQ(com9.received(), "ATE0Q0V1\r\n");
    // Why each did not open, for the sign beside the cell.
    EXPECT_EQ(run.cell(1, 1).failure, OpenFailure::NotSerial);
    EXPECT_EQ(run.cell(2, 1).failure, OpenFailure::NotSerial);
    EXPECT_EQ(run.cell(3, 1).failure, OpenFailure::Absent);
    EXPECT_EQ(run.cell(4, 1).failure, OpenFailure::Absent);
    EXPECT_EQ(run.cell(9, 1).failure, OpenFailure::None);
    // A port held by another program is left alone: not one byte.
    Pty held;
    ports.link(5, held.slavePath());
    QtSerialPort other(PortMap::fromDirectory(ports.path()));
    other.setCommPort(5);
    other.setPortOpen(true);
    run.form.Command1_Click();
    EXPECT_EQ(run.cell(5, 1).backColor, survey::kWhite);
    EXPECT_TRUE(run.cell(5, 1).toolTip.contains("使用中"));
    EXPECT_EQ(run.cell(5, 1).failure, OpenFailure::Busy);
    EXPECT_TRUE(held.received().isEmpty());
    // A port that opened in one survey and is gone in the next.
    com16.vanish();
    ports.unlink(16);
    run.form.Command1_Click();
    EXPECT_TRUE(run.cell(16, 1).text.isEmpty());
    EXPECT_EQ(run.cell(16, 1).backColor, survey::kWhite);
}

}  // namespace
