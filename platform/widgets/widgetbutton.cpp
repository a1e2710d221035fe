#include "widgetbutton.h"

#include <QPushButton>

namespace qelv {

WidgetButton::WidgetButton(QWidget* parent) : m_button(new QPushButton(parent)) {}

WidgetButton::~WidgetButton() {
    delete m_button.data();
}

void WidgetButton::setEnabled(bool enabled) {
    const bool reenabled = enabled && !m_enabled;
    m_enabled = enabled;
    if (!m_button) return;
    m_button->setEnabled(enabled);
    // Disabling the button during a survey passed the focus on to the grid; the keyboard
    // user's next survey is one key press away again only if it comes back.
    if (reenabled) m_button->setFocus(Qt::OtherFocusReason);
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
