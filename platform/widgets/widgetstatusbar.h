#pragma once

#include "formdesign.h"
#include "formwidgets.h"

#include <QPointer>

class QLabel;
class QProgressBar;
class QStatusBar;
class QWidget;

namespace qelv {

// The status line: one text across the bar and, at its right end, the survey's progress.
class WidgetStatusBar final : public StatusBar {
public:
    static constexpr float kHeightTwips = formdesign::kStatusBarHeight;

    explicit WidgetStatusBar(QWidget* parent);
    ~WidgetStatusBar() override;
    WidgetStatusBar(const WidgetStatusBar&) = delete;
    WidgetStatusBar& operator=(const WidgetStatusBar&) = delete;

    void setStyle(int style) override { m_style = style; }
    int style() const { return m_style; }
    void setSimpleText(const QString& text) override;
    QString simpleText() const override { return m_text; }
    float height() const override;
    void setProgress(int value, int max) override;

    // Null once the parent has destroyed it.
    QStatusBar* bar() const;
    QProgressBar* progressBar() const;
    // Across the bottom of a parent of the given pixel size.
    void dockToBottom(int parentWidth, int parentHeight);

private:
    void fitInto(int pixels);

    QPointer<QStatusBar> m_bar;
    QPointer<QLabel> m_label;
    QPointer<QProgressBar> m_progress;
    QString m_text;
    int m_style = 0;
};

}  // namespace qelv
