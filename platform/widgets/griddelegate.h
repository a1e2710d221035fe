#pragma once

#include "celltext.h"

#include <QFontMetrics>
#include <QStyledItemDelegate>

namespace qelv {

// Draws body cells as plain text, letting a row grow to a few lines and eliding beyond that;
// whatever is elided is offered whole in the tooltip.
class GridDelegate final : public QStyledItemDelegate {
    Q_OBJECT

public:
    static constexpr int kMaxLines = kCellLines;
    static constexpr int kVerticalMargin = 3;

    // The tallest a row may be at these metrics: kMaxLines lines and the cell's margins.
    static int maxHeight(const QFontMetrics& metrics);

    explicit GridDelegate(QObject* parent);

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

    // The tooltip for a cell drawn in option.rect.
    QString toolTipFor(const QStyleOptionViewItem& option, const QModelIndex& index) const;
};

}  // namespace qelv
