#include "widgetgrid.h"

#include "gridmodel.h"
#include "gridview.h"
#include "twips.h"

#include <QGuiApplication>
#include <QScreen>

namespace qelv {

namespace {

constexpr int kDefaultDpi = 96;

int fallbackDpi() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? static_cast<int>(std::lround(screen->logicalDotsPerInchX())) : kDefaultDpi;
}

}  // namespace

WidgetGrid::WidgetGrid(QWidget* parent) : m_view(new GridView(parent)) {
    m_model = new GridModel(m_cells, m_view);
    m_view->setGridModel(m_model);
}

WidgetGrid::~WidgetGrid() {
    // The model refers to m_cells, so it must not outlive this object.
    delete m_view.data();
}

void WidgetGrid::setRows(int rows) {
    reshape(rows, m_cells.cols());
}

void WidgetGrid::setCols(int cols) {
    reshape(m_cells.rows(), cols);
}

void WidgetGrid::setText(const QString& text) {
    m_cells.current().text = text;
    currentCellChanged();
}

void WidgetGrid::setCellBackColor(std::uint32_t color) {
    m_cells.current().backColor = color;
    currentCellChanged();
}

void WidgetGrid::setCellToolTip(const QString& tip) {
    m_cells.current().toolTip = tip;
    currentCellChanged();
}

void WidgetGrid::setCellIdentity(const QString& identity) {
    m_cells.current().identity = identity;
    currentCellChanged();
}

void WidgetGrid::setCellReply(const QString& reply) {
    m_cells.current().reply = reply;
    currentCellChanged();
}

void WidgetGrid::setCellFailure(OpenFailure failure) {
    m_cells.current().failure = failure;
    currentCellChanged();
}

void WidgetGrid::setColWidth(int col, int twips) {
    if (col < 0 || col >= m_cells.cols()) return;
    m_colTwips[static_cast<std::size_t>(col)] = std::max(0, twips);
    applyColumnWidths();
}

void WidgetGrid::refresh() {
    if (m_view) m_view->viewport()->update();
}

void WidgetGrid::setWidth(float twips) {
    if (m_view) m_view->resize(twipsToPixels(twips, dpiX()), m_view->height());
}

void WidgetGrid::setHeight(float twips) {
    if (m_view) m_view->resize(m_view->width(), twipsToPixels(twips, dpiY()));
}

float WidgetGrid::width() const {
    return m_view ? pixelsToTwips(m_view->width(), dpiX()) : 0.0f;
}

float WidgetGrid::height() const {
    return m_view ? pixelsToTwips(m_view->height(), dpiY()) : 0.0f;
}

float WidgetGrid::top() const {
    return m_view ? pixelsToTwips(m_view->y(), dpiY()) : 0.0f;
}

GridView* WidgetGrid::view() const {
    return m_view.data();
}

void WidgetGrid::setGeometry(float left, float top, float width, float height) {
    if (m_view)
        m_view->setGeometry(twipsToPixels(left, dpiX()), twipsToPixels(top, dpiY()),
                            twipsToPixels(width, dpiX()), twipsToPixels(height, dpiY()));
}

void WidgetGrid::reshape(int rows, int cols) {
    if (m_model)
        m_model->reshape(rows, cols);
    else
        m_cells.resize(rows, cols);
    // A model reset forgets the view's column widths; the widths set so far are put back.
    m_colTwips.resize(static_cast<std::size_t>(m_cells.cols()), -1);
    applyColumnWidths();
}

void WidgetGrid::currentCellChanged() {
    if (m_model) m_model->cellChanged(m_cells.row(), m_cells.col());
}

void WidgetGrid::applyColumnWidths() {
    if (!m_view) return;
    for (int col = 0; col < static_cast<int>(m_colTwips.size()); ++col) {
        const int twips = m_colTwips[static_cast<std::size_t>(col)];
        if (twips < 0) continue;
        const int pixels = twipsToPixels(twips, dpiX());
        if (col == 0)
            m_view->setFirstColumnWidth(pixels);
        else
            m_view->setColumnWidth(col - 1, pixels);
    }
}

int WidgetGrid::dpiX() const {
    return m_view ? m_view->logicalDpiX() : fallbackDpi();
}

int WidgetGrid::dpiY() const {
    return m_view ? m_view->logicalDpiY() : fallbackDpi();
}

}  // namespace qelv
