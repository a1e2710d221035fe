#pragma once

#include "devicewatch.h"
#include "portdirectory.h"

namespace qelv {

class KnownIdentities;
class MainForm;

// Keeps the window's port tooltips in step with the machine's devices: on each batch of
// device events the map of COM numbers is read afresh (sysfs and udev only) and the form
// describes its ports anew. Never during a survey, whose ports must not change under it:
// events that come then are followed once it has ended.
class DeviceFollower {
public:
    // `known`, when given, forgets what ModemManager said whenever the devices change.
    DeviceFollower(DeviceWatch& watch, PortDirectory& ports, MainForm& form,
                   KnownIdentities* known = nullptr);
    DeviceFollower(const DeviceFollower&) = delete;
    DeviceFollower& operator=(const DeviceFollower&) = delete;

    // One survey, as runSurvey runs it (ShutdownRequested passes through).
    void survey();

private:
    void follow();

    PortDirectory& m_ports;
    MainForm& m_form;
    KnownIdentities* m_known;
    bool m_surveying = false;
    bool m_missed = false;
};

}  // namespace qelv
