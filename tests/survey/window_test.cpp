// The main form in the real window, under Qt's offscreen platform.

#include "fakes.h"
#include "griddelegate.h"
#include "gridview.h"
#include "mainform.h"
#include "mdcomm.h"
#include "modemsim/simulatorprocess.h"
#include "portguard.h"
#include "pty.h"
#include "qteventpump.h"
#include "qtmainwindow.h"
#include "qtserialport.h"
#include "shutdown.h"
#include "surveytexts.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTemporaryDir>
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
                  {.pump = line.pump, .unit = [this]() -> Mdcomm& { return unit; }}};

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
    EXPECT_EQ(window.MSFlexGrid1().rows(), 17);
    EXPECT_EQ(window.MSFlexGrid1().cols(), 4);
    EXPECT_EQ(window.MSFlexGrid1().cells().at(0, 2).text, "ATコマンド 対応状況");
    EXPECT_EQ(window.MSFlexGrid1().row(), 0);
    EXPECT_EQ(window.MSFlexGrid1().col(), 3);
    EXPECT_EQ(window.caption(), "Tobelune   QEL-V ver 1.1 Rev0");
    EXPECT_EQ(window.windowTitle(), "Tobelune   QEL-V ver 1.1 Rev0");
    EXPECT_NEAR(window.MSFlexGrid1().width(), window.innerWidth(), 30.0f);
}

TEST_F(WindowForm, ButtonIsDisabledDuringASurveyAndResizesLeaveTheCurrentCell) {
    int seen = 0;
    line.pump.onPump = [&] {
        ++seen;
        EXPECT_FALSE(window.Command1().isEnabled());
        EXPECT_EQ(window.Command1().caption(), "検査中");
        const int row = window.MSFlexGrid1().row(), col = window.MSFlexGrid1().col();
        window.resize(window.width() + 1, window.height() + 1);
        QCoreApplication::processEvents();
        EXPECT_EQ(window.MSFlexGrid1().row(), row);
        EXPECT_EQ(window.MSFlexGrid1().col(), col);
    };
    form.Command1_Click();
    EXPECT_GT(seen, 48);
    EXPECT_TRUE(window.Command1().isEnabled());
    EXPECT_EQ(window.Command1().caption(), "検査開始");
    EXPECT_EQ(window.MSFlexGrid1().cells().at(2, 3).text, "\r\nOK\r\n");
    EXPECT_FALSE(window.StatusBar1().progressBar()->isVisible());
}

// A keyboard user starts the next survey from where the last one left the focus, and gets
// from the grid back to the button with Tab.
TEST_F(WindowForm, AfterASurveyTheFocusIsOnTheStartButtonAndTabReachesItFromTheGrid) {
    window.activateWindow();
    QPushButton* button = window.Command1().pushButton();
    form.Command1_Click();
    EXPECT_EQ(window.focusWidget(), button);

    GridView* grid = window.MSFlexGrid1().view();
    grid->setFocus(Qt::OtherFocusReason);
    ASSERT_EQ(window.focusWidget(), grid);
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QCoreApplication::sendEvent(grid, &tab);
    EXPECT_EQ(window.focusWidget(), button);
}

struct TallDelegate : QStyledItemDelegate {
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QSize hint = QStyledItemDelegate::sizeHint(option, index);
        const auto lines = index.data().toString().count(u'\n') + 1;
        return {hint.width(), static_cast<int>(lines) * option.fontMetrics.lineSpacing()};
    }
};

TEST_F(WindowForm, AReplyOfThousandsOfLinesKeepsItsRowAFewLinesHigh) {
    QString reply;
    for (int i = 0; i < 2500; ++i) reply += QStringLiteral("line %1\r\n").arg(i);
    line.port.addDevice(3, [reply](const QString& sent) {
        if (!sent.startsWith(QLatin1String("ATI")))
            return std::vector<ScriptedPort::Reply>{{40, "\r\nOK\r\n"}};
        return std::vector<ScriptedPort::Reply>{{40, reply + QStringLiteral("\r\nOK\r\n")}};
    });
    GridView* view = window.MSFlexGrid1().view();
    // Whatever a style, a font with taller fallback lines or another delegate makes of a
    // cell's height, the row stays capped.
    TallDelegate tall;
    view->setItemDelegate(&tall);
    form.Command1_Click();
    QCoreApplication::processEvents();
    EXPECT_LE(view->rowHeight(2), GridDelegate::maxHeight(view->fontMetrics()));
    EXPECT_LT(view->rowViewportPosition(2) + view->rowHeight(2), view->viewport()->height());
    EXPECT_TRUE(window.MSFlexGrid1().cells().at(3, 3).text.contains(QStringLiteral("line 2499")));
}

TEST_F(WindowForm, TheStatusBarIsAsHighAsDesignedAndTheGridTakesTheRest) {
    const float pixel = 1440.0f / window.logicalDpiY();
    EXPECT_NEAR(window.StatusBar1().height(), 255.0f, pixel);
    EXPECT_NEAR(window.MSFlexGrid1().height(), 4185.0f, 2 * pixel);
    window.StatusBar1().setSimpleText(QStringLiteral("COM16 検査中"));
    window.StatusBar1().setProgress(3, 48);
    QCoreApplication::processEvents();
    const QRect bar = window.StatusBar1().bar()->rect();
    QProgressBar* progress = window.StatusBar1().progressBar();
    EXPECT_TRUE(bar.contains(
        QRect(progress->mapTo(window.StatusBar1().bar(), QPoint(0, 0)), progress->size())));
    for (QLabel* label : window.StatusBar1().bar()->findChildren<QLabel*>()) {
        EXPECT_LE(label->fontMetrics().height(), bar.height()) << label->text().toStdString();
        EXPECT_LE(label->height(), bar.height());
    }
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
    MainForm form(window.widgets(), {.pump = pump,
                                     .unit = [&]() -> Mdcomm& { return unit; },
                                     .endProgram = [&] { ended = true; }});
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

// A device that sends megabytes a second and answers OK puts a megabyte into both of its
// cells; while the survey collects, draws and redraws them, a user's resizes come through and
// a timer fires on time. (The window used to lay the whole megabyte out at every paint and
// stall for seconds; a stall this long ends the survey early so that the test fails fast.)
TEST(WindowFlood, AChatteringDeviceLeavesTheEventLoopResponsive) {
    constexpr qint64 kTickMs = 20;
    constexpr qint64 kStallMs = 750;
    QTemporaryDir dir;
    SimulatorProcess sim(QELV_MODEMSIM_PATH, dir.path().toStdString(), {"chatter@1"});
    SystemTickClock clock;
    QtEventPump pump;
    QtSerialPort port(PortMap::fromDirectory(dir.path()));
    Mdcomm unit(clock, pump, port);
    QtMainWindow window;
    MainForm form(window.widgets(), {.pump = pump, .unit = [&]() -> Mdcomm& { return unit; }});
    form.Form_Load();
    QObject::connect(&window, &QtMainWindow::resized, [&form] { form.Form_Resize(); });
    window.show();

    QElapsedTimer elapsed;
    elapsed.start();
    qint64 last = 0;
    qint64 latest = 0;
    int ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = elapsed.elapsed();
        latest = std::max(latest, now - last - kTickMs);
        last = now;
        ++ticks;
        if (ticks % 5 == 0) window.resize(window.width() + (ticks % 10 ? 3 : -3), window.height());
        if (latest > kStallMs) shutdown::request(0);
    });
    tick.start(kTickMs);
    try {
        form.Command1_Click();
    } catch (const ShutdownRequested&) {
        shutdown::reset();
    }
    tick.stop();
    EXPECT_LE(latest, kStallMs) << "the event loop stalled";
    const GridCell& at = window.MSFlexGrid1().cells().at(1, survey::kAtCol);
    const GridCell& info = window.MSFlexGrid1().cells().at(1, survey::kInfoCol);
    EXPECT_EQ(at.backColor, survey::kMark);
    EXPECT_GT(at.text.size(), 100'000);
    EXPECT_GT(info.text.size(), 100'000);
}

}  // namespace
