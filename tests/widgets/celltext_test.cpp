// What a cell shows of a text of any length, and what its tooltip offers.

#include "widgetsapp.h"

#include "celltext.h"
#include "griddelegate.h"
#include "gridview.h"
#include "widgetgrid.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <gtest/gtest.h>

namespace qelv {
namespace {

const QString kLeftOut = QStringLiteral("…");

TEST(ShownCellText, ATextThatFitsIsShownWholeAsTheDisplayFormGivesIt) {
    for (const QString& stored :
         {QString(), QStringLiteral("ATI3\r\nOK\rE\x1b"), QStringLiteral("\r\nOK\r\n"),
          QStringLiteral("1\r\n2\r\n3\r\n4\r\n"), QStringLiteral("a\\b\tc"), QString(300, u'x')}) {
        const ShownText shown = shownCellText(stored);
        EXPECT_TRUE(shown.whole) << stored.toStdString();
        EXPECT_EQ(shown.text, displayCellText(stored)) << stored.toStdString();
    }
}

TEST(ShownCellText, LeavesOutLinesAndLineEndsVisibly) {
    struct Row {
        QString stored;
        QString shown;
    };
    const QString line301 = QString(301, u'x');
    const Row rows[] = {
        // A fifth line, even an empty one followed by more.
        {QStringLiteral("1\n2\n3\n4\n5"), QStringLiteral("1\n2\n3\n4") + kLeftOut},
        {QStringLiteral("1\r\n2\r3\n4\r\n\r\n"), QStringLiteral("1\n2\n3\n4") + kLeftOut},
        // A line one character too long, and one of them cut on a later line.
        {line301, QString(300, u'x') + kLeftOut},
        {QStringLiteral("OK\r\n") + line301 + QStringLiteral("\r\nend"),
         QStringLiteral("OK\n") + QString(300, u'x') + kLeftOut + QStringLiteral("\nend")},
        // A control character is shown as four; its escape is never cut in two.
        {QString(76, QChar(0x01)), QStringLiteral("\\x01").repeated(75) + kLeftOut},
        // A character beyond the BMP is never cut in two.
        {QString(299, u'x') + QStringLiteral("\U0001F600\U0001F600"),
         QString(299, u'x') + QStringLiteral("\U0001F600") + kLeftOut},
        // A high surrogate without its pair is one character, and what follows it is counted
        // as itself: a control character after it still shows as four.
        {(QString(QChar(0xD800)) + QChar(0x01)).repeated(100),
         (QString(QChar(0xD800)) + QStringLiteral("\\x01")).repeated(60) + kLeftOut},
    };
    for (const Row& row : rows) {
        const ShownText shown = shownCellText(row.stored);
        EXPECT_FALSE(shown.whole) << row.stored.left(40).toStdString();
        EXPECT_EQ(shown.text, row.shown) << row.stored.left(40).toStdString();
    }
}

// A flooding device's megabyte, without a line break or with thousands of them.
TEST(ShownCellText, AMegabyteShowsNoMoreThanAFewLinesOfIt) {
    QString noise;
    for (int i = 0; noise.size() < (1 << 20); ++i)
        noise += QChar(static_cast<char16_t>((i * 37) % 256));
    for (const QString& stored : {QString(1 << 20, u'A'), noise}) {
        const ShownText shown = shownCellText(stored);
        EXPECT_FALSE(shown.whole);
        EXPECT_LE(shown.text.size(), kCellLines * (kCellLineLength + 2));
        EXPECT_LE(shown.text.count(u'\n'), kCellLines - 1);
        EXPECT_TRUE(shown.text.endsWith(kLeftOut));
    }
}

class CellToolTipTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::ensureWidgetsApplication())
            GTEST_SKIP() << "a non-widget application object already exists";
    }

    // How many lines the paragraph holding `needle` takes when the tooltip is laid out at
    // `width` pixels, as a narrow tooltip label lays it out.
    static int linesOf(const QString& html, const QString& needle, int width) {
        QTextDocument document;
        document.setHtml(html);
        document.setTextWidth(width);
        (void)document.size();  // lays it out
        for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
            if (block.text().contains(needle)) return block.layout()->lineCount();
        return 0;
    }
};

TEST_F(CellToolTipTest, ADevicePathIsNeverBrokenWhileLongTextStillWraps) {
    const QString link =
        QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
    const QString reason = QStringLiteral("「OK」を含まない応答です。") + QString(40, u'あ');
    const QString tip = QStringLiteral(
                            "/home/me/qelv-ports/com3 → /dev/ttyUSB0\n\n種類: "
                            "USBシリアル変換器\nリンク: ") +
                        link + u'\n' + reason;
    const QString html = plainToolTip(tip);
    EXPECT_EQ(linesOf(html, link, 100), 1);
    EXPECT_EQ(linesOf(html, QStringLiteral("/dev/ttyUSB0"), 100), 1);
    EXPECT_GT(linesOf(html, reason, 100), 1);
    QTextDocument document;
    document.setHtml(html);
    // Every line, the blank one too (a non-breaking space keeps its paragraph).
    EXPECT_EQ(document.toPlainText(),
              QString(tip).replace(QStringLiteral("\n\n"), QStringLiteral("\n \n")));
}

TEST_F(CellToolTipTest, AFloodedCellOffersItsStartAndHowToCopyTheRest) {
    const QString flood = QStringLiteral("<b>") + QString((1 << 20) - 3, u'Z');
    const QString tip = cellToolTip(QStringLiteral("why"), flood, false);
    EXPECT_LT(tip.size(), 20000);
    EXPECT_TRUE(tip.contains(QStringLiteral("&lt;b&gt;ZZZ")));
    EXPECT_TRUE(tip.contains(QStringLiteral("全 1048576 文字")));
    EXPECT_TRUE(tip.contains(QStringLiteral("Ctrl+C")));
    EXPECT_TRUE(tip.startsWith(QStringLiteral("<p")));
    // A text a cell shows whole is not repeated; a short elided one is offered whole.
    EXPECT_FALSE(cellToolTip(QStringLiteral("why"), QStringLiteral("OK"), false)
                     .contains(QStringLiteral(">OK<")));
    EXPECT_FALSE(cellToolTip({}, QStringLiteral("OK"), true).contains(QStringLiteral("Ctrl+C")));

    WidgetGrid grid(nullptr);
    grid.setRows(2);
    grid.setCols(2);
    grid.setRow(1);
    grid.setCol(1);
    grid.setText(flood);
    GridView* view = grid.view();
    const QModelIndex index = view->model()->index(0, 0);
    EXPECT_LE(index.data(Qt::DisplayRole).toString().size(), kCellLines * (kCellLineLength + 2));
    view->setCurrentIndex(index);
    QKeyEvent copy(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier);
    QCoreApplication::sendEvent(view, &copy);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), flood);
}

}  // namespace
}  // namespace qelv
