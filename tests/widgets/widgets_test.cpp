#include "widgetsapp.h"

#include "celltext.h"
#include "griddelegate.h"
#include "gridmodel.h"
#include "gridview.h"
#include "modemerror.h"
#include "qtmainwindow.h"

#include <QBrush>
#include <QClipboard>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QStyleOptionViewItem>

#include <gtest/gtest.h>

namespace qelv {
namespace {

class WidgetsTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::ensureWidgetsApplication())
            GTEST_SKIP() << "a non-widget application object already exists";
    }

    // Gives an empty grid 3 rows and 4 columns, then makes (row, col) the current cell.
    static void select(Grid& grid, int row, int col) {
        if (grid.rows() == 0) {
            grid.setRows(3);
            grid.setCols(4);
        }
        grid.setRow(row);
        grid.setCol(col);
    }

    static QVariant shown(WidgetGrid& grid, int row, int col, int role) {
        const QAbstractItemModel* model = grid.view()->model();
        if (row == 0) return model->headerData(col - 1, Qt::Horizontal, role);
        if (col == 0) return model->headerData(row - 1, Qt::Vertical, role);
        return model->index(row - 1, col - 1).data(role);
    }
};

TEST_F(WidgetsTest, CellsRoundTripAndShowNormalisedText) {
    WidgetGrid grid(nullptr);
    const QString reply = QStringLiteral("ATI3\r\nOK\rE\x1b");
    select(grid, 1, 2);
    grid.setText(reply);
    grid.setCellToolTip(QStringLiteral("/dev/pts/99"));
    select(grid, 0, 3);
    grid.setText(QStringLiteral("結果"));
    select(grid, 2, 0);
    grid.setText(QStringLiteral("COM2"));

    select(grid, 1, 2);
    EXPECT_EQ(grid.text(), reply);
    EXPECT_EQ(shown(grid, 1, 2, Qt::DisplayRole).toString(), QStringLiteral("ATI3\nOK\nE\\x1B"));
    EXPECT_EQ(shown(grid, 0, 3, Qt::DisplayRole).toString(), QStringLiteral("結果"));
    EXPECT_EQ(shown(grid, 2, 0, Qt::DisplayRole).toString(), QStringLiteral("COM2"));
    EXPECT_TRUE(
        shown(grid, 1, 2, Qt::ToolTipRole).toString().contains(QStringLiteral("/dev/pts/99")));
}

TEST_F(WidgetsTest, FailedCheckShowsItsReasonAndReplyInTheToolTip) {
    WidgetGrid grid(nullptr);
    select(grid, 1, 2);
    grid.setCellBackColor(0xFFFFFF);
    grid.setCellToolTip(QStringLiteral("「OK」を含まない応答です"));
    grid.setCellReply(QStringLiteral("\r\nok\r\n<b>"));
    const QString tip = shown(grid, 1, 2, Qt::ToolTipRole).toString();
    EXPECT_TRUE(tip.contains(QStringLiteral("「OK」を含まない応答です"))) << tip.toStdString();
    EXPECT_TRUE(tip.contains(QStringLiteral("応答:"))) << tip.toStdString();
    EXPECT_TRUE(tip.contains(QStringLiteral("\\r\\nok\\r\\n&lt;b&gt;"))) << tip.toStdString();
    EXPECT_TRUE(shown(grid, 1, 2, Qt::DisplayRole).toString().isEmpty());
    GridDelegate* delegate = qobject_cast<GridDelegate*>(grid.view()->itemDelegate());
    ASSERT_NE(delegate, nullptr);
    QStyleOptionViewItem option;
    option.rect = QRect(0, 0, 400, 40);
    const QModelIndex index = grid.view()->model()->index(0, 1);
    EXPECT_TRUE(delegate->toolTipFor(option, index).contains(QStringLiteral("\\r\\nok")));
    // Passing again clears it.
    grid.setCellToolTip({});
    grid.setCellReply({});
    EXPECT_TRUE(shown(grid, 1, 2, Qt::ToolTipRole).toString().isEmpty());
}

TEST_F(WidgetsTest, FailedOpensAreToldApartBySignsAloneKeepingTextAndColour) {
    WidgetGrid grid(nullptr);
    grid.setRows(8);
    grid.setCols(4);
    const std::pair<OpenFailure, bool> rows[] = {
        {OpenFailure::None, false}, {OpenFailure::Absent, false},
        {OpenFailure::Busy, true},  {OpenFailure::PermissionDenied, true},
        {OpenFailure::Other, true}, {OpenFailure::NotSerial, true},
    };
    for (int row = 1; row <= 6; ++row) {
        grid.setRow(row);
        grid.setCol(1);
        grid.setCellBackColor(0xFFFFFF);
        grid.setCellFailure(rows[row - 1].first);
    }
    for (int row = 1; row <= 6; ++row) {
        const QVariant sign = shown(grid, row, 1, Qt::DecorationRole);
        EXPECT_EQ(sign.isValid(), rows[row - 1].second) << row;
        EXPECT_TRUE(shown(grid, row, 1, Qt::DisplayRole).toString().isEmpty()) << row;
        EXPECT_EQ(shown(grid, row, 1, Qt::BackgroundRole).value<QBrush>().color(),
                  QColor(Qt::white));
    }
    // Busy, refused and the other failures look different; the last two share one sign.
    const auto image = [&](int row) {
        return shown(grid, row, 1, Qt::DecorationRole).value<QIcon>().pixmap(16).toImage();
    };
    EXPECT_NE(image(3), image(4));
    EXPECT_NE(image(3), image(5));
    EXPECT_NE(image(4), image(5));
    EXPECT_EQ(image(5), image(6));
    EXPECT_FALSE(image(3).isNull());
}

TEST_F(WidgetsTest, ColoursMapFromBgrAndNoColourStaysUnmarked) {
    WidgetGrid grid(nullptr);
    select(grid, 2, 3);
    EXPECT_EQ(grid.cellBackColor(), Grid::kNoColor);
    EXPECT_FALSE(shown(grid, 2, 3, Qt::BackgroundRole).isValid());

    grid.setCellBackColor(0x00332211u);
    EXPECT_EQ(grid.cellBackColor(), 0x00332211u);
    EXPECT_EQ(shown(grid, 2, 3, Qt::BackgroundRole).value<QBrush>().color(),
              QColor(0x11, 0x22, 0x33));

    select(grid, 0, 1);
    grid.setCellBackColor(0x000000FFu);
    EXPECT_EQ(shown(grid, 0, 1, Qt::BackgroundRole).value<QBrush>().color(), QColor(Qt::red));

    select(grid, 2, 3);
    grid.setCellBackColor(Grid::kNoColor);
    EXPECT_FALSE(shown(grid, 2, 3, Qt::BackgroundRole).isValid());
}

TEST_F(WidgetsTest, OutOfRangeRowOrColThrowsAndKeepsTheCurrentCell) {
    WidgetGrid grid(nullptr);
    select(grid, 2, 1);
    for (const int bad : {-1, 3, 99}) {
        try {
            grid.setRow(bad);
            ADD_FAILURE() << "row " << bad << " accepted";
        } catch (const ModemError& error) {
            EXPECT_EQ(error.number(), errc::kInvalidPropertyValue);
        }
    }
    EXPECT_THROW(grid.setCol(4), ModemError);
    EXPECT_EQ(grid.row(), 2);
    EXPECT_EQ(grid.col(), 1);
}

TEST_F(WidgetsTest, MarkupIsShownLiterally) {
    WidgetGrid grid(nullptr);
    select(grid, 1, 1);
    grid.setText(QStringLiteral("<b>x</b>"));
    grid.setCellToolTip(QStringLiteral("<i>why</i>"));
    EXPECT_EQ(shown(grid, 1, 1, Qt::DisplayRole).toString(), QStringLiteral("<b>x</b>"));
    const QString tip = shown(grid, 1, 1, Qt::ToolTipRole).toString();
    EXPECT_TRUE(tip.contains(QStringLiteral("&lt;i&gt;why&lt;/i&gt;"))) << tip.toStdString();
    EXPECT_TRUE(
        cellToolTip({}, QStringLiteral("<b>x</b>"), true).contains(QStringLiteral("&lt;b&gt;")));
}

TEST_F(WidgetsTest, ElidedCellOffersItsFullTextInTheToolTip) {
    WidgetGrid grid(nullptr);
    select(grid, 1, 1);
    grid.setText(QStringLiteral("U.S. Robotics 56K FAX EXT"));
    grid.setCellToolTip(QStringLiteral("/dev/pts/99"));
    GridView* view = grid.view();
    const auto* delegate = qobject_cast<GridDelegate*>(view->itemDelegate());
    ASSERT_NE(delegate, nullptr);
    QStyleOptionViewItem option;
    option.initFrom(view);
    option.rect = QRect(0, 0, 20, 40);
    const QModelIndex index = view->model()->index(0, 0);
    EXPECT_TRUE(delegate->toolTipFor(option, index).contains(QStringLiteral("Robotics")));
    option.rect = QRect(0, 0, 2000, 40);
    EXPECT_FALSE(delegate->toolTipFor(option, index).contains(QStringLiteral("Robotics")));
    EXPECT_TRUE(delegate->toolTipFor(option, index).contains(QStringLiteral("/dev/pts/99")));
}

TEST_F(WidgetsTest, CtrlCCopiesTheFullStoredText) {
    WidgetGrid grid(nullptr);
    const QString reply = QStringLiteral("OK\r\n\x1b[0m <b>");
    select(grid, 2, 2);
    grid.setText(reply);
    GridView* view = grid.view();
    view->setCurrentIndex(view->model()->index(1, 1));
    QKeyEvent copy(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier);
    QCoreApplication::sendEvent(view, &copy);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), reply);
}

TEST_F(WidgetsTest, TwipsMapAtTheLogicalDpiAndZeroHeightIsHarmless) {
    WidgetGrid grid(nullptr);
    select(grid, 1, 1);
    const int dpi = grid.view()->logicalDpiX();
    EXPECT_GE(grid.view()->verticalHeader()->width(),
              grid.view()->horizontalHeader()->defaultSectionSize());
    grid.setColWidth(1, 1440);
    grid.setColWidth(0, 720);
    EXPECT_EQ(grid.view()->columnWidth(0), dpi);
    EXPECT_EQ(grid.view()->verticalHeader()->width(), (dpi + 1) / 2);
    grid.setWidth(2880.0f);
    EXPECT_NEAR(grid.width(), 2880.0f, 1440.0f / dpi);
    grid.setHeight(0.0f);
    EXPECT_EQ(grid.height(), 0.0f);
    grid.refresh();
}

TEST_F(WidgetsTest, StatusBarHidesProgressAtMaxZero) {
    QWidget parent;
    WidgetStatusBar bar(&parent);
    EXPECT_TRUE(bar.progressBar()->isHidden());
    bar.setProgress(3, 16);
    EXPECT_FALSE(bar.progressBar()->isHidden());
    EXPECT_EQ(bar.progressBar()->value(), 3);
    bar.setProgress(5, 0);
    EXPECT_TRUE(bar.progressBar()->isHidden());
    bar.setSimpleText(QStringLiteral("COM3\r\n応答なし"));
    EXPECT_EQ(bar.simpleText(), QStringLiteral("COM3\r\n応答なし"));
}

TEST_F(WidgetsTest, WindowOpensAtItsTwipsSizeAndKeepsTheStatusBarDocked) {
    QtMainWindow window;
    int resizes = 0;
    QObject::connect(&window, &QtMainWindow::resized, [&] { ++resizes; });
    window.show();
    QCoreApplication::processEvents();

    const float tolerance = 1440.0f / window.logicalDpiX();
    EXPECT_NEAR(window.innerWidth(), 8655.0f, tolerance);
    EXPECT_NEAR(window.innerHeight(), 5400.0f, tolerance);
    EXPECT_NEAR(window.MSFlexGrid1().top(), 960.0f, tolerance);
    EXPECT_GE(resizes, 1);
    EXPECT_EQ(window.caption(), QStringLiteral("Tobelune   QEL-V ver 1.0"));
    EXPECT_EQ(window.Command1().caption(), QStringLiteral("検査開始"));

    window.resize(700, 500);
    const QRect bar = window.StatusBar1().bar()->geometry();
    EXPECT_EQ(bar.left(), 0);
    EXPECT_EQ(bar.width(), 700);
    EXPECT_EQ(bar.bottom(), 499);
    EXPECT_GE(resizes, 2);
}

TEST_F(WidgetsTest, WindowSignalsStartAndClose) {
    QtMainWindow window;
    int starts = 0;
    int closes = 0;
    QObject::connect(&window, &QtMainWindow::startClicked, [&] { ++starts; });
    QObject::connect(&window, &QtMainWindow::closeRequested, [&] { ++closes; });
    window.show();
    window.Command1().pushButton()->click();
    EXPECT_TRUE(window.close());
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(closes, 1);
}

TEST_F(WidgetsTest, StartButtonHasTheFocusAndAnswersTheKeyboard) {
    QtMainWindow window;
    int starts = 0;
    QObject::connect(&window, &QtMainWindow::startClicked, [&] { ++starts; });
    window.show();
    window.activateWindow();
    QPushButton* button = window.Command1().pushButton();
    EXPECT_EQ(window.focusWidget(), button);
    for (int key : {Qt::Key_Space, Qt::Key_Return}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, key == Qt::Key_Space ? " " : "\r");
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier,
                          key == Qt::Key_Space ? " " : "\r");
        QCoreApplication::sendEvent(button, &press);
        QCoreApplication::sendEvent(button, &release);
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(starts, 2);
}

}  // namespace
}  // namespace qelv
