#include "qtmainwindow.h"

#include "formdesign.h"
#include "gridview.h"
#include "twips.h"

#include <QCloseEvent>
#include <QFont>
#include <QIcon>
#include <QPushButton>
#include <QResizeEvent>
#include <QStatusBar>

// The resources of a static library are only registered when something names them.
static void registerWidgetResources() {
    Q_INIT_RESOURCE(qelvwidgets);
}

namespace qelv {

namespace {

using namespace formdesign;

QFont gridFont() {
    QFont font;
    // The first two are the form's own face under its Japanese and Latin names; the rest are
    // the nearest proportional Gothic faces a Debian desktop is likely to have.
    font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
                      QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAPGothic"),
                      QStringLiteral("VL PGothic")});
    font.setPointSize(kGridPointSize);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    return font;
}

}  // namespace

QtMainWindow::QtMainWindow(QWidget* parent)
    : QWidget(parent), m_button(this), m_grid(this), m_statusBar(this) {
    registerWidgetResources();
    setWindowIcon(QIcon(QStringLiteral(":/qel-v/qel-v.png")));
    setCaption(windowCaption());
    placeButton();
    setUpGrid();
    resize(twipsToPixels(kInnerWidth, logicalDpiX()), twipsToPixels(kInnerHeight, logicalDpiY()));
    m_statusBar.dockToBottom(width(), height());
}

QtMainWindow::~QtMainWindow() = default;

void QtMainWindow::setCaption(const QString& caption) {
    m_caption = caption;
    setWindowTitle(caption);
}

float QtMainWindow::innerWidth() const {
    return pixelsToTwips(width(), logicalDpiX());
}

float QtMainWindow::innerHeight() const {
    return pixelsToTwips(height(), logicalDpiY());
}

void QtMainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_statusBar.dockToBottom(width(), height());
    emit resized();
}

void QtMainWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    emit closeRequested();
}

void QtMainWindow::placeButton() {
    m_button.setCaption(buttonCaption());
    QPushButton* button = m_button.pushButton();
    button->setGeometry(
        twipsToPixels(kButtonLeft, logicalDpiX()), twipsToPixels(kButtonTop, logicalDpiY()),
        twipsToPixels(kButtonWidth, logicalDpiX()), twipsToPixels(kButtonHeight, logicalDpiY()));
    connect(button, &QPushButton::clicked, this, &QtMainWindow::startClicked);
    // The survey starts from the keyboard too: the button has the focus at start, and
    // Return presses it like Space does.
    button->setAutoDefault(true);
    button->setFocus(Qt::OtherFocusReason);
    setTabOrder(button, m_grid.view());
}

void QtMainWindow::setUpGrid() {
    m_grid.view()->setFont(gridFont());
    m_grid.setGeometry(kGridLeft, kGridTop, kGridWidth, kGridHeight);
}

}  // namespace qelv
