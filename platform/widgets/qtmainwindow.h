#pragma once

#include "formwidgets.h"
#include "widgetbutton.h"
#include "widgetgrid.h"
#include "widgetstatusbar.h"

#include <QString>
#include <QWidget>

namespace qelv {

// The main window: start button, result grid, and the status bar docked along the bottom.
// It lays out only the status bar; moving and sizing the rest on resized() is the form's job.
class QtMainWindow final : public QWidget, public FormWindow {
    Q_OBJECT

public:
    explicit QtMainWindow(QWidget* parent = nullptr);
    ~QtMainWindow() override;

    void setCaption(const QString& caption) override;
    QString caption() const override { return m_caption; }
    float innerWidth() const override;
    float innerHeight() const override;

    WidgetGrid& MSFlexGrid1() { return m_grid; }
    WidgetStatusBar& StatusBar1() { return m_statusBar; }
    WidgetButton& Command1() { return m_button; }
    FormWidgets widgets() { return {*this, m_grid, m_statusBar, m_button}; }

signals:
    void startClicked();
    void resized();
    // The close is already accepted; what happens next is the application's decision.
    void closeRequested();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void placeButton();
    void setUpGrid();

    WidgetButton m_button;
    WidgetGrid m_grid;
    WidgetStatusBar m_statusBar;
    QString m_caption;
};

}  // namespace qelv
