#include "griddelegate.h"

#include "celltext.h"
#include "gridmodel.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QToolTip>

namespace qelv {

GridDelegate::GridDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

QSize GridDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QSize hint = QStyledItemDelegate::sizeHint(option, index);
    const qsizetype lines = index.data(Qt::DisplayRole).toString().count(QLatin1Char('\n')) + 1;
    if (lines <= kMaxLines) return hint;
    // A long modem reply would otherwise make one row taller than the whole grid.
    const int lineSpacing = option.fontMetrics.lineSpacing();
    const int surplus = static_cast<int>(lines - kMaxLines) * lineSpacing;
    hint.setHeight(std::max(lineSpacing, hint.height() - surplus));
    return hint;
}

bool GridDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                             const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (!event || !view || event->type() != QEvent::ToolTip)
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    const QString tip = toolTipFor(option, index);
    if (tip.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(event->globalPos(), tip, view->viewport(), option.rect);
    return true;
}

QString GridDelegate::toolTipFor(const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    const QSize full = QStyledItemDelegate::sizeHint(option, index);
    const bool elided = full.width() > option.rect.width() || full.height() > option.rect.height();
    return cellToolTip(index.data(GridModel::kStoredToolTipRole).toString(),
                       index.data(GridModel::kStoredTextRole).toString(), elided);
}

}  // namespace qelv
