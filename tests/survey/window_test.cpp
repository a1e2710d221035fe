// The main form in the real window, under Qt's offscreen platform.

#include "fakes.h"
#include "mainform.h"
#include "mdcomm.h"
#include "portguard.h"
#include "pty.h"
#include "qteventpump.h"
#include "qtmainwindow.h"
#include "qtserialport.h"
#include "shutdown.h"
#include "surveytexts.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProgressBar>
#include <QTimer>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

using namespace qelv;
using namespace qelv::test;

namespace {

struct WindowForm : ::testing::Test {
    FakeLine line;
    Mdcomm unit{line.clock, line.pump, line.port};
    QtMainWindow window;
    MainForm form{window.widgets(),
                  {line.pump, [this]() -> Mdcomm& { return unit; }, {}, {}, VersionNumbers{}}};

    void SetUp() override {
        form.Form_Load();
        QObject::connect(&window, &QtMainWindow::resized, [this] { form.Form_Resize(); });
        window.show();
        line.port.addDevice(2, [](const QString&) {
            return std::vector<ScriptedPort::Reply>{{40, "\r\nOK\r\n"}};
        });
    }
};

TEST_F(WindowForm, LoadGivesTheGridItsLayoutAndCurrentCell) {
    EXPECT_EQ(window.grid().rows(), 17);
    EXPECT_EQ(window.grid().cols(), 4);
    EXPECT_EQ(window.grid().cells().at(0, 2).text, "ATコマンド 対応状況");
    EXPECT_EQ(window.grid().row(), 0);
    EXPECT_EQ(window.grid().col(), 3);
    EXPECT_EQ(window.caption(), "Tobelune   QEL-V ver 1.1 Rev0");
    EXPECT_EQ(window.windowTitle(), "Tobelune   QEL-V ver 1.1 Rev0");
    EXPECT_NEAR(window.grid().width(), window.innerWidth(), 30.0f);
}

TEST_F(WindowForm, ButtonIsDisabledDuringASurveyAndResizesLeaveTheCurrentCell) {
    int seen = 0;
    line.pump.onPump = [&] {
        ++seen;
        EXPECT_FALSE(window.button().isEnabled());
        EXPECT_EQ(window.button().caption(), "検査中");
        const int row = window.grid().row(), col = window.grid().col();
        window.resize(window.width() + 1, window.height() + 1);
        QCoreApplication::processEvents();
        EXPECT_EQ(window.grid().row(), row);
        EXPECT_EQ(window.grid().col(), col);
    };
    form.Command1_Click();
    EXPECT_GT(seen, 48);
    EXPECT_TRUE(window.button().isEnabled());
    EXPECT_EQ(window.button().caption(), "検査開始");
    EXPECT_EQ(window.grid().cells().at(2, 3).text, "\r\nOK\r\n");
    EXPECT_FALSE(window.statusBar().progressBar()->isVisible());
}

// Closing the window while a wait runs ends the survey on the spot with the port released.
TEST(WindowClose, InTheMiddleOfAWaitEndsTheSurveyAndReleasesThePort) {
    Pty device;
    PortsDir ports;
    ports.link(1, device.slavePath());
    SystemTickClock clock;
    QtEventPump pump;
    QtSerialPort port(PortMap::fromDirectory(ports.path()));
    Mdcomm unit(clock, pump, port);
    QtMainWindow window;
    bool ended = false;
    MainForm form(window.widgets(), {pump, [&]() -> Mdcomm& { return unit; }, {},
                                     [&] { ended = true; }, VersionNumbers{}});
    form.Form_Load();
    QObject::connect(&window, &QtMainWindow::closeRequested, [&] {
        std::int16_t cancel = 0;
        form.Form_Unload(cancel);
    });
    window.show();
    QTimer::singleShot(200, &window, &QWidget::close);  // inside pass 2's 1000 ms wait
    EXPECT_THROW(form.Command1_Click(), ShutdownRequested);
    shutdown::reset();
    EXPECT_TRUE(ended);
    EXPECT_FALSE(port.portOpen());
    EXPECT_TRUE(device.received().isEmpty());  // the command was never sent
    const int fd = ::open(device.slavePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    EXPECT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    ::close(fd);
    EXPECT_TRUE(lockFileHolder(device.slavePath()).isEmpty());
}

}  // namespace
