#include "devicefollower.h"

#include "knownidentity.h"
#include "mainform.h"
#include "surveyrun.h"

namespace qelv {

DeviceFollower::DeviceFollower(DeviceWatch& watch, PortDirectory& ports, MainForm& form,
                               KnownIdentities* known)
    : m_ports(ports), m_form(form), m_known(known) {
    QObject::connect(&watch, &DeviceWatch::devicesChanged, &watch, [this] { follow(); });
}

void DeviceFollower::survey() {
    m_surveying = true;
    try {
        runSurvey(m_form, m_ports, m_known);
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
    if (m_known) m_known->refresh();
    m_form.describePorts();
}

}  // namespace qelv
