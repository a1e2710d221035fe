// The window following the machine's devices between surveys, from injected device events.

#include "devicefollower.h"
#include "fakes.h"
#include "gridview.h"
#include "mainform.h"
#include "mdcomm.h"
#include "qtmainwindow.h"
#include "surveytexts.h"
#include "unitfactory.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <fcntl.h>
#include <unistd.h>
#include <deque>
#include <stdexcept>

using namespace qelv;
using namespace qelv::test;

namespace {

// Device events the test sends, through a pipe as a netlink socket would carry them.
class InjectedEvents final : public DeviceEventSource {
public:
    InjectedEvents() {
        if (::pipe2(m_pipe, O_NONBLOCK | O_CLOEXEC) != 0) throw std::runtime_error("pipe");
    }
    ~InjectedEvents() override {
        ::close(m_pipe[0]);
        ::close(m_pipe[1]);
    }
    int descriptor() const override { return m_pipe[0]; }
    std::optional<DeviceEvent> next() override {
        char byte = 0;
        if (::read(m_pipe[0], &byte, 1) != 1 || m_events.empty()) return std::nullopt;
        DeviceEvent event = m_events.front();
        m_events.pop_front();
        return event;
    }
    void send(const QString& action, const QString& node) {
        m_events.push_back({action, node});
        (void)!::write(m_pipe[1], "e", 1);
    }

private:
    int m_pipe[2] = {-1, -1};
    std::deque<DeviceEvent> m_events;
};

const QString kUart = QStringLiteral("/nonexistent/qelv-follow/ttyS0");
const QString kFirstAdapter = QStringLiteral("/nonexistent/qelv-follow/ttyUSB0");
const QString kSecondAdapter = QStringLiteral("/nonexistent/qelv-follow/ttyUSB1");

struct FollowedWindow : ::testing::Test {
    std::vector<QString> devices{kUart, kFirstAdapter};
    std::shared_ptr<PortDirectory> ports = PortDirectory::system(
        [this] { return devices; },
        [](const QString& path) {
            DeviceFacts facts;
            facts.node = path;
            facts.kind =
                path.contains(QStringLiteral("USB")) ? DeviceKind::UsbSerial : DeviceKind::Uart;
            return facts;
        });
    FakeLine line;
    Mdcomm unit{line.clock, line.pump, line.port};
    QtMainWindow window;
    MainForm form{window.widgets(),
                  {.pump = line.pump,
                   .unit = [this]() -> Mdcomm& { return unit; },
                   .describePort = portDescriber(ports)}};
    InjectedEvents* events = new InjectedEvents;
    DeviceWatch watch{std::unique_ptr<DeviceEventSource>(events)};
    DeviceFollower follower{watch, *ports, form};

    void SetUp() override { form.Form_Load(); }

    const GridCells& cells() { return window.MSFlexGrid1().cells(); }
    // What the user sees on hovering over COMn's name.
    QString shownTip(int n) {
        return window.MSFlexGrid1()
            .view()
            ->model()
            ->headerData(n - 1, Qt::Vertical, Qt::ToolTipRole)
            .toString();
    }
    // Runs the event loop until COMn's tooltip holds `text`, a second at most.
    bool tipComesToHold(int n, const QString& text) {
        QElapsedTimer waited;
        waited.start();
        while (!cells().at(n, 0).toolTip.contains(text) && waited.elapsed() < 1000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return cells().at(n, 0).toolTip.contains(text);
    }
};

TEST_F(FollowedWindow, AnAdapterSwappedAfterTheSurveyShowsInItsPortsTooltip) {
    follower.survey();
    ASSERT_TRUE(cells().at(2, 0).toolTip.startsWith(kFirstAdapter));
    const GridCells results = cells();
    const int row = window.MSFlexGrid1().row();
    const int col = window.MSFlexGrid1().col();
    const std::size_t opens = line.port.openedLines().size();

    devices = {kUart, kSecondAdapter};
    events->send(QStringLiteral("remove"), kFirstAdapter);
    events->send(QStringLiteral("add"), kSecondAdapter);
    ASSERT_TRUE(tipComesToHold(2, kSecondAdapter));
    EXPECT_TRUE(cells().at(2, 0).toolTip.contains(survey::kDeviceChanged));
    EXPECT_TRUE(shownTip(2).contains(kSecondAdapter)) << shownTip(2).toStdString();
    EXPECT_FALSE(cells().at(1, 0).toolTip.contains(survey::kDeviceChanged));
    EXPECT_EQ(cells().at(3, 0).toolTip, results.at(3, 0).toolTip);
    // The results, the current cell and the ports are as the survey left them.
    for (int r = 1; r <= 16; ++r)
        for (int c = 1; c <= 3; ++c) {
            EXPECT_EQ(cells().at(r, c).text, results.at(r, c).text);
            EXPECT_EQ(cells().at(r, c).backColor, results.at(r, c).backColor);
            EXPECT_EQ(cells().at(r, c).toolTip, results.at(r, c).toolTip);
        }
    EXPECT_EQ(window.MSFlexGrid1().row(), row);
    EXPECT_EQ(window.MSFlexGrid1().col(), col);
    EXPECT_EQ(line.port.openedLines().size(), opens);

    // The first adapter back in its place: the port is as the survey found it again.
    devices = {kUart, kFirstAdapter};
    events->send(QStringLiteral("add"), kFirstAdapter);
    ASSERT_TRUE(tipComesToHold(2, kFirstAdapter));
    EXPECT_EQ(cells().at(2, 0).toolTip, results.at(2, 0).toolTip);
}

// The map must not change under a running survey: an event that comes during one is
// followed once it has ended.
TEST_F(FollowedWindow, EventsDuringASurveyWaitForItsEnd) {
    bool sent = false;
    bool changedUnderTheSurvey = false;
    line.pump.onPump = [&] {
        if (!sent) {
            sent = true;
            devices = {kUart};
            events->send(QStringLiteral("remove"), kFirstAdapter);
        }
        QCoreApplication::processEvents();
        changedUnderTheSurvey = changedUnderTheSurvey || !ports->map().device(2);
    };
    follower.survey();
    line.pump.onPump = nullptr;
    EXPECT_FALSE(changedUnderTheSurvey);
    EXPECT_FALSE(ports->map().device(2));
    EXPECT_TRUE(cells().at(2, 0).toolTip.contains(QStringLiteral("デバイスがありません")));
    EXPECT_TRUE(cells().at(2, 0).toolTip.contains(survey::kDeviceChanged));
}

// Before the first survey the grid names no ports; there is nothing to follow yet.
TEST_F(FollowedWindow, BeforeAnySurveyTheGridIsLeftAlone) {
    devices = {kSecondAdapter};
    events->send(QStringLiteral("add"), kSecondAdapter);
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 100) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(ports->map().device(1)->path, kSecondAdapter);
    for (int n = 1; n <= 16; ++n) EXPECT_TRUE(cells().at(n, 0).toolTip.isEmpty()) << n;
}

}  // namespace
