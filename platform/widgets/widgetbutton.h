#pragma once

#include "formwidgets.h"

#include <QPointer>

class QPushButton;
class QWidget;

namespace qelv {

class WidgetButton final : public Button {
public:
    explicit WidgetButton(QWidget* parent);
    ~WidgetButton() override;
    WidgetButton(const WidgetButton&) = delete;
    WidgetButton& operator=(const WidgetButton&) = delete;

    void setEnabled(bool enabled) override;
    bool isEnabled() const override;
    void setCaption(const QString& caption) override;
    QString caption() const override { return m_caption; }

    // Null once the parent has destroyed it.
    QPushButton* pushButton() const;

private:
    QPointer<QPushButton> m_button;
    QString m_caption;
    bool m_enabled = true;
};

}  // namespace qelv
