// The modem simulator, driven over its pseudo-terminals the way the tool drives a port.

#include "modemsim/simulatorprocess.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using qelv::SimulatorProcess;

constexpr auto kPatience = 1000ms;  // upper bound for anything that should arrive
constexpr auto kQuiet = 40ms;       // how long "nothing more arrives" is watched for

const std::string kI0 = "56000";
const std::string kI2 = "OK";
const std::string kI4 = "QEL Simulation Works SIM-5600 Rev 4";

// The user side of a simulated port.
class PortClient {
public:
    explicit PortClient(const std::string& path)
        : m_fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)) {
        if (m_fd < 0) throw std::runtime_error("cannot open " + path);
    }
    ~PortClient() { ::close(m_fd); }
    PortClient(const PortClient&) = delete;
    PortClient& operator=(const PortClient&) = delete;

    void send(const std::string& bytes) {
        ASSERT_EQ(::write(m_fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // Joins reads until `count` bytes arrived, the device hung up or `limit` passed.
    std::string read(std::size_t count, std::chrono::milliseconds limit = kPatience) {
        std::string data;
        const auto deadline = Clock::now() + limit;
        while (data.size() < count && !m_hungUp && Clock::now() < deadline)
            readOnce(data, deadline, count - data.size());
        return data;
    }
    std::string readFor(std::chrono::milliseconds window) { return read(SIZE_MAX, window); }
    // Byte by byte, so nothing after the suffix is taken.
    std::string readUntilSuffix(const std::string& suffix) {
        std::string data;
        const auto deadline = Clock::now() + kPatience;
        while (!data.ends_with(suffix) && !m_hungUp && Clock::now() < deadline)
            readOnce(data, deadline, 1);
        return data;
    }
    bool hungUp() const { return m_hungUp; }

private:
    void readOnce(std::string& data, Clock::time_point deadline, std::size_t atMost) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd request{m_fd, POLLIN, 0};
        if (::poll(&request, 1, static_cast<int>(std::max(left.count(), 0L))) <= 0) return;
        char buffer[4096];
        const ssize_t count = ::read(m_fd, buffer, std::min(sizeof buffer, atMost));
        if (count > 0) data.append(buffer, static_cast<std::size_t>(count));
        if (count == 0 || (count < 0 && errno != EAGAIN && errno != EINTR)) m_hungUp = true;
    }

    int m_fd;
    bool m_hungUp = false;
};

std::string verboseInfo(const std::string& text) {
    return "\r\n" + text + "\r\n";
}

class ModemSimulatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "qelv-modemsim-XXXXXX");
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
    }
    void TearDown() override {
        m_simulator.reset();
        std::filesystem::remove_all(m_dir);
    }
    SimulatorProcess& start(std::vector<std::string> profiles) {
        m_simulator = std::make_unique<SimulatorProcess>(QELV_MODEMSIM_PATH, m_dir.string(),
                                                         std::move(profiles));
        return *m_simulator;
    }
    std::unique_ptr<PortClient> open(int n) {
        return std::make_unique<PortClient>(m_simulator->devicePath(n));
    }
    std::string waitForRecording(int n, std::size_t size) {
        const auto deadline = Clock::now() + kPatience;
        std::string data = m_simulator->received(n);
        for (; data.size() < size && Clock::now() < deadline; data = m_simulator->received(n))
            std::this_thread::sleep_for(2ms);
        return data;
    }
    int exitCodeFor(const std::string& arguments) const {
        const std::string command =
            std::string(QELV_MODEMSIM_PATH) + " " + arguments + " </dev/null >/dev/null 2>&1";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::filesystem::path m_dir;
    std::unique_ptr<SimulatorProcess> m_simulator;
};

TEST_F(ModemSimulatorTest, HayesEchoesUntilE0ThenAnswersChainedInformation) {
    start({"hayes@1"});
    auto port = open(1);

    // Echo is on while the line arrives; E0 takes effect at the CR, so the LF is not echoed.
    port->send("ATE0Q0V1\r\n");
    const std::string first = "ATE0Q0V1\r\r\nOK\r\n";
    EXPECT_EQ(port->read(first.size()), first);

    port->send("ATI4I2I0\r\n");
    const std::string second =
        verboseInfo(kI4) + verboseInfo(kI2) + verboseInfo(kI0) + "\r\nOK\r\n";
    EXPECT_EQ(port->read(second.size()), second);
    EXPECT_EQ(port->readFor(kQuiet), "");
}

TEST_F(ModemSimulatorTest, HayesRepliesComeInPiecesAFewMillisecondsApart) {
    start({"hayes@1"});
    auto port = open(1);
    port->send("ATE0\r");
    port->read(11);

    const auto sent = Clock::now();
    port->send("AT\r");
    EXPECT_EQ(port->read(6), "\r\nOK\r\n");
    EXPECT_GE(Clock::now() - sent, 15ms);
}

TEST_F(ModemSimulatorTest, HayesNumericQuietResetAndErrors) {
    start({"hayes@1"});
    auto port = open(1);

    port->send("ATE0V0\r");
    EXPECT_EQ(port->read(9), "ATE0V0\r0\r");
    port->send("ATI0\r");
    EXPECT_EQ(port->read(9), kI0 + "\r\n0\r");
    port->send("ATX\r");
    EXPECT_EQ(port->read(2), "4\r");
    port->send("ATQ1\r");
    EXPECT_EQ(port->readFor(kQuiet), "");

    // Z restores echo, Q0 and V1; its own result already speaks verbose.
    port->send("ATZ\r");
    EXPECT_EQ(port->read(6), "\r\nOK\r\n");
    port->send("AT&X\r");
    EXPECT_EQ(port->read(14), "AT&X\r\r\nERROR\r\n");
}

TEST_F(ModemSimulatorTest, HayesSkipsBytesBeforeAtInAnyLetterCase) {
    start({"hayes@1"});
    auto port = open(1);

    port->send("\n+++xyz\nat i2\r");
    const std::string expected = "\n+++xyz\nat i2\r" + verboseInfo(kI2) + "\r\nOK\r\n";
    EXPECT_EQ(port->read(expected.size()), expected);
    EXPECT_EQ(port->readFor(kQuiet), "");
}

TEST_F(ModemSimulatorTest, ErrorProfileStartsSilentAndRejectsInformation) {
    start({"error@2"});
    auto port = open(2);

    port->send("ATE0Q0V1\r\n");
    EXPECT_EQ(port->read(6), "\r\nOK\r\n");
    port->send("ATI4I2I0\r\n");
    EXPECT_EQ(port->read(9), "\r\nERROR\r\n");
    EXPECT_EQ(port->readFor(kQuiet), "");
}

TEST_F(ModemSimulatorTest, SilentNolfLowerokAndLateAnswers) {
    start({"silent@1", "nolf@2", "lowerok@3", "late:150@4"});
    auto silent = open(1);
    auto nolf = open(2);
    auto lowerok = open(3);
    auto late = open(4);

    for (auto* port : {silent.get(), nolf.get(), lowerok.get(), late.get()}) port->send("AT\r");
    const auto sent = Clock::now();

    EXPECT_EQ(nolf->read(2), "OK");
    EXPECT_EQ(lowerok->read(6), "\r\nok\r\n");
    EXPECT_EQ(late->read(6), "\r\nOK\r\n");
    EXPECT_GE(Clock::now() - sent, 150ms);
    EXPECT_EQ(silent->readFor(kQuiet), "");
    EXPECT_EQ(nolf->readFor(kQuiet), "");
}

TEST_F(ModemSimulatorTest, NoisyAndFloodSendWhatNoTextShouldTrust) {
    start({"noisy@1", "flood@2"});
    auto noisy = open(1);
    auto flood = open(2);

    noisy->send("AT\r");
    const std::string noise = noisy->readUntilSuffix("\r\nOK\r\n");
    EXPECT_TRUE(noise.starts_with(std::string("\0\x01\x02", 3)));
    for (const char* part : {"\x7f", "\xff", "\x1b[2J", "\x1b]0;pwned\x07", "<b>&amp;</b>"})
        EXPECT_NE(noise.find(part), std::string::npos) << part;

    flood->send("x");
    std::string filler;
    for (int i = 0; i < 1024; ++i) filler += "DATA";
    EXPECT_EQ(flood->read(filler.size()), filler);
}

// Chatter passes a check for "OK" however strictly it is judged, yet never ends an exchange
// that waits for "OK" CR LF.
TEST_F(ModemSimulatorTest, ChatterHoldsOkOnlyOnLinesOfItsOwn) {
    start({"chatter@1"});
    auto port = open(1);
    port->send("x");
    const std::string noise = port->read(3 * 4100);
    int oks = 0;
    for (auto at = noise.find("OK"); at != std::string::npos; at = noise.find("OK", at + 1)) {
        ++oks;
        EXPECT_TRUE(at > 0 && noise[at - 1] == '\n') << at;
        EXPECT_TRUE(at + 2 >= noise.size() || noise[at + 2] == '\n') << at;
    }
    EXPECT_GE(oks, 2);
    EXPECT_NE(noise.find('\r'), std::string::npos);
    EXPECT_NE(noise.find('\xff'), std::string::npos);
}

TEST_F(ModemSimulatorTest, FloodKeepsToItsRate) {
    start({"flood:2000@1"});
    auto port = open(1);
    port->send("x");
    const std::size_t received = port->readFor(250ms).size();
    EXPECT_GT(received, 200u);
    EXPECT_LT(received, 1000u);
}

TEST_F(ModemSimulatorTest, RecordsEveryReceivedByteExactly) {
    auto& simulator = start({"silent@1", "hayes@2"});
    auto silent = open(1);
    auto hayes = open(2);

    const std::string junk("\x00\xff\x1b\n", 4);
    silent->send(junk + "ATI0\r\n");
    hayes->send("ATE0\r\nat\r\n");
    hayes->readUntilSuffix("\r\nOK\r\n");

    EXPECT_EQ(waitForRecording(1, junk.size() + 6), junk + "ATI0\r\n");
    EXPECT_EQ(waitForRecording(2, 10), "ATE0\r\nat\r\n");
    EXPECT_EQ(simulator.received(3), "");
}

// The pty's number goes back to the system with the device, and the next pty made anywhere
// (another test's device running side by side) may get it: the link must go first.
TEST_F(ModemSimulatorTest, VanishDropsThePortAfterOneLineAndRemovesItsLink) {
    auto& simulator = start({"vanish@4", "hayes@5"});
    const std::string path = simulator.devicePath(4);
    ASSERT_TRUE(path.starts_with("/dev/pts/"));
    {
        auto port = open(4);
        port->send("ATI0\r");
        port->readFor(kPatience);
        EXPECT_TRUE(port->hungUp());
    }
    EXPECT_EQ(simulator.devicePath(4), "");
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(m_dir / "com4")));
    EXPECT_EQ(simulator.received(4), "ATI0\r");
    // The other device plays on, its link untouched.
    EXPECT_TRUE(simulator.devicePath(5).starts_with("/dev/pts/"));
    auto other = open(5);
    other->send("AT\r");
    EXPECT_EQ(other->readUntilSuffix("OK\r\n"), "AT\r\r\nOK\r\n");
}

TEST_F(ModemSimulatorTest, LinksAndReadyFileLastAsLongAsTheSimulator) {
    auto& simulator = start({"hayes@1", "silent@16"});
    EXPECT_TRUE(simulator.devicePath(1).starts_with("/dev/pts/"));
    EXPECT_TRUE(simulator.devicePath(16).starts_with("/dev/pts/"));
    EXPECT_NE(simulator.devicePath(1), simulator.devicePath(16));
    EXPECT_TRUE(std::filesystem::exists(m_dir / "ready"));

    simulator.stop();
    EXPECT_EQ(simulator.devicePath(1), "");
    EXPECT_EQ(simulator.devicePath(16), "");
    EXPECT_FALSE(std::filesystem::exists(m_dir / "ready"));
    EXPECT_TRUE(std::filesystem::exists(m_dir / "com1.rx"));
}

TEST_F(ModemSimulatorTest, EndsWithItsStandardInput) {
    const std::string dir = (m_dir / "fresh").string();
    FILE* output = ::popen(
        (std::string(QELV_MODEMSIM_PATH) + " --dir " + dir + " hayes@1 </dev/null").c_str(), "r");
    ASSERT_NE(output, nullptr);
    char line[16] = {};
    EXPECT_NE(std::fgets(line, sizeof line, output), nullptr);
    EXPECT_STREQ(line, "ready\n");
    const int status = ::pclose(output);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_FALSE(std::filesystem::exists(dir + "/com1"));
    EXPECT_FALSE(std::filesystem::exists(dir + "/ready"));
}

TEST_F(ModemSimulatorTest, BadArgumentsExitWithCode2) {
    const std::string dir = "--dir " + m_dir.string();
    for (const std::string& arguments :
         {std::string("hayes@1"), dir, dir + " bogus@1", dir + " hayes", dir + " hayes@0",
          dir + " hayes@256", dir + " hayes:1@1", dir + " late:x@1", dir + " flood:0@1",
          dir + " hayes@1 silent@1", dir + " --frob hayes@1", std::string("--dir")})
        EXPECT_EQ(exitCodeFor(arguments), 2) << arguments;
    EXPECT_TRUE(std::filesystem::is_empty(m_dir));
}

TEST(SimulatorProcessTest, ThrowsWhenTheSimulatorCannotStart) {
    EXPECT_THROW(SimulatorProcess("/nonexistent/qelv-modemsim", "/tmp", {"hayes@1"}),
                 std::runtime_error);
    EXPECT_THROW(SimulatorProcess(QELV_MODEMSIM_PATH, "/tmp", {"bogus@1"}), std::runtime_error);
}

}  // namespace
