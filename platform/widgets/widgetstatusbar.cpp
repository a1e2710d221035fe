#include "widgetstatusbar.h"

#include "celltext.h"
#include "twips.h"

#include <QFontMetrics>
#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>

namespace qelv {

namespace {

constexpr int kProgressWidthTwips = 2400;
constexpr double kSmallestPointSize = 6.0;

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
    fitInto(twipsToPixels(kHeightTwips, m_bar->logicalDpiY()));
}

void WidgetStatusBar::fitInto(int pixels) {
    // The form is laid out around a bar of exactly this height, so the bar keeps it and its
    // parts shrink to fit instead: QStatusBar's own size hint (with its size grip and frame
    // margins) comes out half as high again and would eat into the grid above it.
    m_bar->setSizeGripEnabled(false);
    m_bar->setContentsMargins(0, 0, 0, 0);
    m_bar->setStyleSheet(QStringLiteral("QStatusBar::item { border: none; }"));
    m_bar->setFixedHeight(pixels);
    m_label->setContentsMargins(0, 0, 0, 0);
    m_label->setMaximumHeight(pixels);
    // Japanese faces have a tall line; the text is made as small as it must be to fit whole.
    QFont font = m_label->font();
    while (QFontMetrics(font).height() > pixels && font.pointSizeF() > kSmallestPointSize)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    m_label->setFont(font);
    m_progress->setMaximumHeight(std::max(1, pixels - 2));
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
