#pragma once

#include "formwidgets.h"
#include "gridcells.h"

#include <QPointer>

#include <vector>

class QWidget;

namespace qelv {

class GridModel;
class GridView;

// The result grid on screen. The cells live here, so every read answers exactly what was
// written; the view only mirrors them. The current cell is the one the form writes to; the
// user's cursor in the view is separate, so a click never redirects a write.
class WidgetGrid final : public Grid {
public:
    explicit WidgetGrid(QWidget* parent);
    ~WidgetGrid() override;
    WidgetGrid(const WidgetGrid&) = delete;
    WidgetGrid& operator=(const WidgetGrid&) = delete;

    void setRows(int rows) override;
    int rows() const override { return m_cells.rows(); }
    void setCols(int cols) override;
    int cols() const override { return m_cells.cols(); }
    void setRow(int row) override { m_cells.setRow(row); }
    int row() const override { return m_cells.row(); }
    void setCol(int col) override { m_cells.setCol(col); }
    int col() const override { return m_cells.col(); }

    void setText(const QString& text) override;
    QString text() const override { return m_cells.current().text; }
    void setCellBackColor(std::uint32_t color) override;
    std::uint32_t cellBackColor() const override { return m_cells.current().backColor; }
    void setCellToolTip(const QString& tip) override;
    void setCellReply(const QString& reply) override;
    void setCellFailure(OpenFailure failure) override;
    void setCellIdentity(const QString& identity) override;

    // A column outside the grid has no width to set; it is ignored.
    void setColWidth(int col, int twips) override;
    void refresh() override;
    void setWidth(float twips) override;
    void setHeight(float twips) override;
    float width() const override;
    float height() const override;
    float top() const override;

    void setLoadSettings(bool, bool, int) override {}
    void setHeaderCellStyle(int) override {}

    // Null once the parent has destroyed it.
    GridView* view() const;
    const GridCells& cells() const { return m_cells; }
    // Place the view in its parent, in twips.
    void setGeometry(float left, float top, float width, float height);

private:
    void reshape(int rows, int cols);
    void currentCellChanged();
    void applyColumnWidths();
    int dpiX() const;
    int dpiY() const;

    GridCells m_cells;
    std::vector<int> m_colTwips;  // per column; -1 until set, so the view keeps its default
    QPointer<GridView> m_view;
    QPointer<GridModel> m_model;
};

}  // namespace qelv
