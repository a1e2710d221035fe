#pragma once

#include "formdesign.h"
#include "formwidgets.h"
#include "gridcells.h"

namespace qelv {

// In-memory widgets for the headless modes and the tests: they keep what they are told and
// draw nothing. The window's inner size is whatever was last set, in twips.
class MemoryGrid : public Grid {
public:
    void setRows(int rows) override { m_cells.resize(rows, m_cells.cols()); }
    int rows() const override { return m_cells.rows(); }
    void setCols(int cols) override { m_cells.resize(m_cells.rows(), cols); }
    int cols() const override { return m_cells.cols(); }
    void setRow(int row) override { m_cells.setRow(row); }
    int row() const override { return m_cells.row(); }
    void setCol(int col) override { m_cells.setCol(col); }
    int col() const override { return m_cells.col(); }
    void setText(const QString& text) override { m_cells.current().text = text; }
    QString text() const override { return m_cells.current().text; }
    void setCellBackColor(std::uint32_t color) override { m_cells.current().backColor = color; }
    std::uint32_t cellBackColor() const override { return m_cells.current().backColor; }
    void setCellToolTip(const QString& tip) override { m_cells.current().toolTip = tip; }
    void setCellReply(const QString& reply) override { m_cells.current().reply = reply; }
    void setCellFailure(OpenFailure failure) override { m_cells.current().failure = failure; }
    void setCellIdentity(const QString& identity) override {
        m_cells.current().identity = identity;
    }
    void setColWidth(int, int) override {}
    void refresh() override {}
    void setWidth(float twips) override { m_width = twips; }
    void setHeight(float twips) override { m_height = twips; }
    float width() const override { return m_width; }
    float height() const override { return m_height; }
    float top() const override { return formdesign::kGridTop; }
    void setLoadSettings(bool, bool, int) override {}
    void setHeaderCellStyle(int) override {}

    const GridCells& cells() const { return m_cells; }

private:
    GridCells m_cells;
    float m_width = formdesign::kGridWidth;
    float m_height = formdesign::kGridHeight;
};

class MemoryStatusBar : public StatusBar {
public:
    void setStyle(int style) override { m_style = style; }
    int style() const { return m_style; }
    void setSimpleText(const QString& text) override { m_text = text; }
    QString simpleText() const override { return m_text; }
    float height() const override { return formdesign::kStatusBarHeight; }
    void setProgress(int value, int max) override {
        m_progress = value;
        m_progressMax = max;
        if (max > 0) m_lastShownProgress = value;
    }
    int progress() const { return m_progress; }
    // The value the bar last showed before it was hidden.
    int lastShownProgress() const { return m_lastShownProgress; }
    int progressMax() const { return m_progressMax; }

private:
    int m_style = 0;
    QString m_text;
    int m_progress = 0;
    int m_progressMax = 0;
    int m_lastShownProgress = 0;
};

class MemoryButton final : public Button {
public:
    void setEnabled(bool enabled) override { m_enabled = enabled; }
    bool isEnabled() const override { return m_enabled; }
    void setCaption(const QString& caption) override { m_caption = caption; }
    QString caption() const override { return m_caption; }

private:
    bool m_enabled = true;
    QString m_caption = formdesign::buttonCaption();
};

class MemoryWindow final : public FormWindow {
public:
    void setCaption(const QString& caption) override { m_caption = caption; }
    QString caption() const override { return m_caption; }
    float innerWidth() const override { return m_width; }
    float innerHeight() const override { return m_height; }
    void setInnerSize(float width, float height) {
        m_width = width;
        m_height = height;
    }

private:
    QString m_caption = formdesign::windowCaption();
    float m_width = formdesign::kInnerWidth;
    float m_height = formdesign::kInnerHeight;
};

// All four, ready to hand to the main form.
struct MemoryForm {
    MemoryWindow window;
    MemoryGrid MSFlexGrid1;
    MemoryStatusBar StatusBar1;
    MemoryButton Command1;
    FormWidgets widgets() { return {window, MSFlexGrid1, StatusBar1, Command1}; }
};

}  // namespace qelv
