#pragma once

#include "gridcells.h"

#include <QAbstractTableModel>

namespace qelv {

// Shows a GridCells to a QTableView. Row 0 and column 0 of the cells become the view's
// header sections, so they stay put while the body scrolls; the body is everything else,
// shifted by one in both directions.
class GridModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    static constexpr int kStoredTextRole = Qt::UserRole + 1;
    static constexpr int kStoredToolTipRole = Qt::UserRole + 2;

    GridModel(GridCells& cells, QObject* parent);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The cells may throw; the model stays consistent when they do.
    void reshape(int rows, int cols);
    // Tells the view that cell (row, col) of the cells changed.
    void cellChanged(int row, int col);

    // Null when the cells have no row 0 or no column 0.
    const GridCell* cornerCell() const;

signals:
    // Cell (0, 0) has no header section of its own; whoever draws it listens here.
    void cornerChanged();

private:
    QVariant cellData(const GridCell& cell, int role) const;

    GridCells& m_cells;
};

}  // namespace qelv
