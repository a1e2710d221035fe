#include "devicefollower.h"

#include "mainform.h"
#include "surveyrun.h"

namespace qelv {

DeviceFollower::DeviceFollower(DeviceWatch& watch, PortDirectory& ports, MainForm& form)
    : m_ports(ports), m_form(form) {
    QObject::connect(&watch, &DeviceWatch::devicesChanged, &watch, [this] { follow(); });
}

void DeviceFollower::survey() {
    m_surveying = true;
    try {
        runSurvey(m_form, m_ports);
    } catch (...) {
        m_surveying = false;
        throw;
    }
    m_surveying = false;
    if (m_missed) follow();
}

void DeviceFollower::follow() {
    m_missed = m_surveying;
    if (m_surveying) return;
    m_ports.refresh();
    m_form.describePorts();
}

}  // namespace qelv
