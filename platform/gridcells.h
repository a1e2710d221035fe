#pragma once

#include "formwidgets.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace qelv {

struct GridCell {
    QString text;
    std::uint32_t backColor = Grid::kNoColor;
    QString toolTip;
};

// The grid's contents and current cell, free of any toolkit. Both grid implementations keep
// their state here, so the headless output and the window read the same thing.
class GridCells {
public:
    void resize(int rows, int cols);
    int rows() const { return m_rows; }
    int cols() const { return m_cols; }

    // Throw ModemError (kInvalidPropertyValue) when out of range, keeping the current cell.
    void setRow(int row);
    void setCol(int col);
    int row() const { return m_row; }
    int col() const { return m_col; }

    GridCell& current() { return at(m_row, m_col); }
    const GridCell& current() const { return at(m_row, m_col); }
    // Precondition: inside the grid.
    GridCell& at(int row, int col) { return m_cells[index(row, col)]; }
    const GridCell& at(int row, int col) const { return m_cells[index(row, col)]; }

private:
    std::size_t index(int row, int col) const {
        return static_cast<std::size_t>(row) * static_cast<std::size_t>(m_cols) +
               static_cast<std::size_t>(col);
    }

    int m_rows = 0;
    int m_cols = 0;
    int m_row = 0;
    int m_col = 0;
    std::vector<GridCell> m_cells;
};

}  // namespace qelv
