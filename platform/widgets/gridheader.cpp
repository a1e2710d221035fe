#include "gridheader.h"

#include "celltext.h"
#include "gridmodel.h"

#include <QHelpEvent>
#include <QToolTip>

namespace qelv {

GridHeader::GridHeader(Qt::Orientation orientation, QWidget* parent)
    : QHeaderView(orientation, parent) {
    setHighlightSections(false);
    setSectionsClickable(false);
    setTextElideMode(Qt::ElideRight);
}

QString GridHeader::toolTipFor(int logicalIndex) const {
    if (!model() || logicalIndex < 0) return {};
    const auto stored = [&](int role) {
        return model()->headerData(logicalIndex, orientation(), role).toString();
    };
    return cellToolTip(stored(GridModel::kStoredToolTipRole), stored(GridModel::kStoredTextRole),
                       isElided(logicalIndex));
}

bool GridHeader::viewportEvent(QEvent* event) {
    if (event->type() != QEvent::ToolTip) return QHeaderView::viewportEvent(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const int logical = logicalIndexAt(help->pos());
    const QString tip = toolTipFor(logical);
    if (tip.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), tip, viewport());
    return true;
}

bool GridHeader::isElided(int logicalIndex) const {
    const QSize content = sectionSizeFromContents(logicalIndex);
    const int section = sectionSize(logicalIndex);
    if (orientation() == Qt::Horizontal)
        return content.width() > section || content.height() > height();
    return content.width() > width() || content.height() > section;
}

}  // namespace qelv
