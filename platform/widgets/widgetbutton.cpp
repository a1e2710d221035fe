#include "widgetbutton.h"

#include <QPushButton>

namespace qelv {

WidgetButton::WidgetButton(QWidget* parent) : m_button(new QPushButton(parent)) {}

WidgetButton::~WidgetButton() {
    delete m_button.data();
}

void WidgetButton::setEnabled(bool enabled) {
    m_enabled = enabled;
    if (m_button) m_button->setEnabled(enabled);
}

bool WidgetButton::isEnabled() const {
    return m_enabled;
}

void WidgetButton::setCaption(const QString& caption) {
    m_caption = caption;
    if (m_button)
        // An ampersand in a caption is text, not a mnemonic marker.
        m_button->setText(QString(caption).replace(QLatin1Char('&'), QStringLiteral("&&")));
}

QPushButton* WidgetButton::pushButton() const {
    return m_button.data();
}

}  // namespace qelv
