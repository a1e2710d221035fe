#pragma once

#include <QPointer>
#include <QTableView>

class QAbstractButton;

namespace qelv {

class GridModel;

// The table that shows a GridModel: frozen header cells for row 0 and column 0 (cell (0, 0)
// in the corner), read-only body cells walked with the arrow keys, and Ctrl+C copying the
// stored text of the cell under the cursor rather than what the screen shows of it.
class GridView final : public QTableView {
    Q_OBJECT

public:
    explicit GridView(QWidget* parent);

    void setGridModel(GridModel* model);
    // Column 0 is the vertical header; its width is fixed rather than fitted to its text.
    void setFirstColumnWidth(int pixels);
    void copyCurrentCell() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fitFirstColumn();
    void capRowHeight();
    void paintCorner();
    void showCornerToolTip(const QPoint& globalPos);

    QPointer<GridModel> m_model;
    QPointer<QAbstractButton> m_corner;
    bool m_firstColumnFixed = false;
};

}  // namespace qelv
