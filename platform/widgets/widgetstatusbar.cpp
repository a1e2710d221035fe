#include "widgetstatusbar.h"

#include "celltext.h"
#include "twips.h"

#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>

namespace qelv {

namespace {

constexpr int kProgressWidthTwips = 2400;

QString oneLine(const QString& text) {
    return displayCellText(text).replace(QLatin1Char('\n'), QLatin1Char(' '));
}

}  // namespace

WidgetStatusBar::WidgetStatusBar(QWidget* parent)
    : m_bar(new QStatusBar(parent)),
      m_label(new QLabel(m_bar)),
      m_progress(new QProgressBar(m_bar)) {
    m_label->setTextFormat(Qt::PlainText);
    // A long message must not widen the window; it is cut and offered in the tooltip instead.
    m_label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_bar->addWidget(m_label, 1);
    m_progress->setTextVisible(false);
    m_progress->setFixedWidth(twipsToPixels(kProgressWidthTwips, m_bar->logicalDpiX()));
    m_progress->setRange(0, 0);
    m_progress->hide();
    m_bar->addPermanentWidget(m_progress);
    const int minimum = twipsToPixels(kHeightTwips, m_bar->logicalDpiY());
    m_bar->setFixedHeight(std::max(minimum, m_bar->sizeHint().height()));
}

WidgetStatusBar::~WidgetStatusBar() {
    delete m_bar.data();
}

void WidgetStatusBar::setSimpleText(const QString& text) {
    m_text = text;
    if (!m_label) return;
    m_label->setText(oneLine(text));
    m_label->setToolTip(plainToolTip(text));
}

float WidgetStatusBar::height() const {
    return m_bar ? pixelsToTwips(m_bar->height(), m_bar->logicalDpiY()) : kHeightTwips;
}

void WidgetStatusBar::setProgress(int value, int max) {
    if (!m_progress) return;
    if (max <= 0) {
        m_progress->hide();
        m_progress->setRange(0, 0);
        return;
    }
    m_progress->setRange(0, max);
    m_progress->setValue(std::clamp(value, 0, max));
    m_progress->show();
}

QStatusBar* WidgetStatusBar::bar() const {
    return m_bar.data();
}

QProgressBar* WidgetStatusBar::progressBar() const {
    return m_progress.data();
}

void WidgetStatusBar::dockToBottom(int parentWidth, int parentHeight) {
    if (!m_bar) return;
    const int barHeight = m_bar->height();
    m_bar->setGeometry(0, std::max(0, parentHeight - barHeight), std::max(0, parentWidth),
                       barHeight);
}

}  // namespace qelv
