#include "gridmodel.h"

#include "celltext.h"
#include "failureicon.h"

#include <QBrush>

namespace qelv {

GridModel::GridModel(GridCells& cells, QObject* parent)
    : QAbstractTableModel(parent), m_cells(cells) {}

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : std::max(0, m_cells.rows() - 1);
}

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : std::max(0, m_cells.cols() - 1);
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) return {};
    return cellData(m_cells.at(index.row() + 1, index.column() + 1), role);
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (section < 0) return {};
    if (orientation == Qt::Horizontal) {
        if (m_cells.rows() < 1 || section + 1 >= m_cells.cols()) return {};
        return cellData(m_cells.at(0, section + 1), role);
    }
    if (m_cells.cols() < 1 || section + 1 >= m_cells.rows()) return {};
    return cellData(m_cells.at(section + 1, 0), role);
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

void GridModel::reshape(int rows, int cols) {
    beginResetModel();
    try {
        m_cells.resize(rows, cols);
    } catch (...) {
        endResetModel();
        throw;
    }
    endResetModel();
}

void GridModel::cellChanged(int row, int col) {
    if (row == 0 && col == 0)
        emit cornerChanged();
    else if (row == 0)
        emit headerDataChanged(Qt::Horizontal, col - 1, col - 1);
    else if (col == 0)
        emit headerDataChanged(Qt::Vertical, row - 1, row - 1);
    else
        emit dataChanged(index(row - 1, col - 1), index(row - 1, col - 1));
}

const GridCell* GridModel::cornerCell() const {
    if (m_cells.rows() < 1 || m_cells.cols() < 1) return nullptr;
    return &m_cells.at(0, 0);
}

QVariant GridModel::cellData(const GridCell& cell, int role) const {
    switch (role) {
        case Qt::DisplayRole:
            return shownCellText(cell.text).text;
        case kStoredTextRole:
            return cell.text;
        case kStoredToolTipRole:
            return cellNote(cell);
        case Qt::ToolTipRole:
            return plainToolTip(cellNote(cell));
        case Qt::DecorationRole:
            if (const QIcon sign = failureIcon(cell.failure); !sign.isNull()) return sign;
            return {};
        case Qt::BackgroundRole:
            if (const auto color = cellColor(cell.backColor)) return QBrush(*color);
            return {};
        case Qt::ForegroundRole:
            if (const auto color = cellColor(cell.backColor))
                return QBrush(readableTextColor(*color));
            return {};
        default:
            return {};
    }
}

}  // namespace qelv
