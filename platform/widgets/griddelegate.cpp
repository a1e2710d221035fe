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
    // A long modem reply would otherwise make one row taller than the whole grid. Measured
    // from the top rather than by subtracting the surplus lines: a fallback face for Japanese
    // text lays lines out a pixel or two taller than the font's own spacing, and over
    // thousands of lines that difference alone is taller than the window.
    hint.setHeight(std::min(hint.height(), maxHeight(option.fontMetrics)));
    return hint;
}

int GridDelegate::maxHeight(const QFontMetrics& metrics) {
    return kMaxLines * metrics.lineSpacing() + 2 * kVerticalMargin;
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
