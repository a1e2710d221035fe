#include "gridview.h"

#include "celltext.h"
#include "griddelegate.h"
#include "gridheader.h"
#include "gridmodel.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionHeader>
#include <QToolTip>

namespace qelv {

GridView::GridView(QWidget* parent) : QTableView(parent) {
    setHorizontalHeader(new GridHeader(Qt::Horizontal, this));
    setVerticalHeader(new GridHeader(Qt::Vertical, this));
    setItemDelegate(new GridDelegate(this));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setWordWrap(false);
    setTextElideMode(Qt::ElideRight);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    capRowHeight();
    // Tab leaves the grid for the start button; the arrow keys move between cells.
    setTabKeyNavigation(false);
    // QTableView owns its corner button privately; drawing over it is the only way to give
    // cell (0, 0) the same look as the other header cells.
    m_corner = findChild<QAbstractButton*>();
    if (m_corner) m_corner->installEventFilter(this);
}

void GridView::setGridModel(GridModel* model) {
    m_model = model;
    setModel(model);
    connect(model, &GridModel::cornerChanged, this, [this] {
        fitFirstColumn();
        if (m_corner) m_corner->update();
    });
    fitFirstColumn();
}

void GridView::setFirstColumnWidth(int pixels) {
    m_firstColumnFixed = true;
    verticalHeader()->setFixedWidth(std::max(0, pixels));
    updateGeometries();
}

void GridView::copyCurrentCell() const {
    const QModelIndex current = currentIndex();
    if (!current.isValid()) return;
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setText(current.data(GridModel::kStoredTextRole).toString());
}

void GridView::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        copyCurrentCell();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void GridView::changeEvent(QEvent* event) {
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        capRowHeight();
        fitFirstColumn();
    }
}

void GridView::capRowHeight() {
    // The delegate's size hint caps a tall cell already; the header's cap holds whatever a
    // style or another delegate makes of it, so a port name never scrolls out of its row.
    verticalHeader()->setMaximumSectionSize(GridDelegate::maxHeight(fontMetrics()));
}

void GridView::fitFirstColumn() {
    if (m_firstColumnFixed) return;
    // Until column 0 gets a width of its own it is as wide as any other column, and never
    // narrower than the corner's text: an empty column 0 would otherwise shrink to nothing.
    int width = horizontalHeader()->defaultSectionSize();
    if (const GridCell* cell = m_model ? m_model->cornerCell() : nullptr) {
        const int margin = style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this);
        const QSize text = fontMetrics().size(0, displayCellText(cell->text));
        width = std::max(width, text.width() + 2 * margin);
    }
    verticalHeader()->setMinimumWidth(width);
    updateGeometries();
}

bool GridView::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_corner || !m_corner) return QTableView::eventFilter(watched, event);
    if (event->type() == QEvent::Paint) {
        paintCorner();
        return true;
    }
    if (event->type() == QEvent::ToolTip) {
        showCornerToolTip(static_cast<QHelpEvent*>(event)->globalPos());
        return true;
    }
    return QTableView::eventFilter(watched, event);
}

void GridView::paintCorner() {
    QStyleOptionHeader option;
    option.initFrom(m_corner);
    option.rect = m_corner->rect();
    option.position = QStyleOptionHeader::OnlyOneSection;
    option.state |= QStyle::State_Enabled | QStyle::State_Raised | QStyle::State_Horizontal;
    option.textAlignment = Qt::AlignCenter;
    if (const GridCell* cell = m_model ? m_model->cornerCell() : nullptr) {
        option.text = displayCellText(cell->text);
        if (const auto color = cellColor(cell->backColor)) {
            option.palette.setColor(QPalette::Button, *color);
            option.palette.setColor(QPalette::Window, *color);
            option.palette.setColor(QPalette::ButtonText, readableTextColor(*color));
        }
    }
    QPainter painter(m_corner);
    style()->drawControl(QStyle::CE_Header, &option, &painter, m_corner);
}

void GridView::showCornerToolTip(const QPoint& globalPos) {
    const GridCell* cell = m_model ? m_model->cornerCell() : nullptr;
    if (!cell) {
        QToolTip::hideText();
        return;
    }
    const QSize needed = m_corner->fontMetrics().size(0, displayCellText(cell->text));
    const bool elided = needed.width() > m_corner->width() || needed.height() > m_corner->height();
    const QString tip = cellToolTip(cellNote(*cell), cell->text, elided);
    if (tip.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(globalPos, tip, m_corner);
}

}  // namespace qelv
