#pragma once

#include <QHeaderView>

namespace qelv {

// A header whose sections are grid cells: plain text, and a tooltip that adds the full text
// when the section is too small for it.
class GridHeader final : public QHeaderView {
    Q_OBJECT

public:
    GridHeader(Qt::Orientation orientation, QWidget* parent);

    QString toolTipFor(int logicalIndex) const;

protected:
    bool viewportEvent(QEvent* event) override;

private:
    bool isElided(int logicalIndex) const;
};

}  // namespace qelv
