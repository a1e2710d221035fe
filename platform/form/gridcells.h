#pragma once

#include "formwidgets.h"
#include "modemerror.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace qelv {

struct GridCell {
    QString text;
    std::uint32_t backColor = Grid::kNoColor;
    // For a cell that failed its check: why, for the user.
    QString toolTip;
    // What the device said when the cell failed its check, exact and capped by the writer.
    QString reply;
    // Why the port did not open, for the cell of a failed open.
    OpenFailure failure = OpenFailure::None;
    // What is known of the device on the cell's port, for people; shown under the rest.
    QString identity;
};

// The line that shows a failed check's reply to a person: a label and the reply escaped on
// one line (escapeForTerminal), so that the first characters are readable exactly.
QString replyLine(const QString& reply);

// What a person is told about a cell beyond its text: its tooltip, when the cell has a reply
// its replyLine under it, and what is known of its device. Empty when there is nothing.
QString cellNote(const GridCell& cell);

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
