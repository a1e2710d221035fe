#include "gridcells.h"

#include "modemerror.h"
#include "textescape.h"

#include <QStringList>

namespace qelv {

void GridCells::resize(int rows, int cols) {
    if (rows < 0 || cols < 0)
        throw ModemError(errc::kInvalidPropertyValue, QStringLiteral("invalid grid size"));
    std::vector<GridCell> cells(static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols));
    for (int r = 0; r < std::min(rows, m_rows); ++r)
        for (int c = 0; c < std::min(cols, m_cols); ++c)
            cells[static_cast<std::size_t>(r) * static_cast<std::size_t>(cols) +
                  static_cast<std::size_t>(c)] = std::move(at(r, c));
    m_cells = std::move(cells);
    m_rows = rows;
    m_cols = cols;
    m_row = std::min(m_row, std::max(0, rows - 1));
    m_col = std::min(m_col, std::max(0, cols - 1));
}

void GridCells::setRow(int row) {
    if (row < 0 || row >= m_rows)
        throw ModemError(errc::kInvalidPropertyValue,
                         QStringLiteral("row %1 is outside the grid").arg(row));
    m_row = row;
}

void GridCells::setCol(int col) {
    if (col < 0 || col >= m_cols)
        throw ModemError(errc::kInvalidPropertyValue,
                         QStringLiteral("column %1 is outside the grid").arg(col));
    m_col = col;
}

QString replyLine(const QString& reply) {
    return QStringLiteral("応答: ") + escapeForTerminal(reply);
}

QString cellNote(const GridCell& cell) {
    QStringList parts;
    if (!cell.toolTip.isEmpty()) parts << cell.toolTip;
    if (!cell.reply.isEmpty()) parts << replyLine(cell.reply);
    if (!cell.identity.isEmpty()) parts << cell.identity;
    return parts.join(u'\n');
}

}  // namespace qelv
