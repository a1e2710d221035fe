// The step after the three passes: what is known of each port's device without asking it,
// and with --identify what the devices that passed the AT check say of themselves.

#include "mainform.h"

#include "identitytext.h"
#include "mdcomm.h"
#include "resultcode.h"
#include "surveytexts.h"

namespace qelv {

using namespace survey;

void MainForm::IdentifyDevices() {
    for (std::int16_t n = kFirstPort; n <= kLastPort; ++n)
        if (m_env.knownIdentity)
            m_rule.step(
                [&] { m_identities[static_cast<std::size_t>(n)] = m_env.knownIdentity(n); });
    if (m_env.identify) {
        m_rule.clear();
        m_rule.step([&] { m_w.StatusBar1.setSimpleText(kIdentifyStatus); });
        const std::vector<IdentifyTarget> targets = identifyTargets();
        std::vector<DeviceIdentity> found;
        if (m_env.parallel && m_env.newPort) {
            found = identifyTogether(targets);
        } else {
            for (const IdentifyTarget& target : targets) found.push_back(identifyAlone(target));
        }
        for (std::size_t i = 0; i < targets.size(); ++i) {
            // The device's own answers first; what others say fills the gaps.
            DeviceIdentity& known = m_identities[static_cast<std::size_t>(targets[i].n)];
            fillIdentity(found[i], known);
            known = found[i];
            if (targets[i].searchSpeed && found[i].speed > 0)
                noteSpeed(targets[i].n, found[i].speed);
        }
    }
    const bool shown = publishIdentities();
    if (!m_env.identify && !shown) return;
    // Where the survey has always left the current cell and the status line.
    m_rule.step([&] { m_w.MSFlexGrid1.setRow(kLastPort); });
    m_rule.step([&] { m_w.MSFlexGrid1.setCol(kInfoCol); });
    if (m_env.identify) m_rule.step([&] { m_w.StatusBar1.setSimpleText(QString()); });
}

// Ports that passed the AT check are asked as they are; ports that opened but answered
// nothing or noise are first searched for a speed. One that answered a result code (ERROR)
// heard the command at 9600 and has nothing to find at another speed.
std::vector<MainForm::IdentifyTarget> MainForm::identifyTargets() {
    std::vector<IdentifyTarget> targets;
    for (std::int16_t n = kFirstPort; n <= kLastPort; ++n) {
        std::uint32_t atMark = Grid::kNoColor;
        std::uint32_t openMark = Grid::kNoColor;
        m_rule.step([&] { m_w.MSFlexGrid1.setRow(n); });
        m_rule.step([&] { m_w.MSFlexGrid1.setCol(kAtCol); });
        m_rule.step([&] { atMark = m_w.MSFlexGrid1.cellBackColor(); });
        m_rule.step([&] { m_w.MSFlexGrid1.setCol(kOpenCol); });
        m_rule.step([&] { openMark = m_w.MSFlexGrid1.cellBackColor(); });
        const QString& heard = m_atFailures[static_cast<std::size_t>(n)].reply;
        if (atMark == kMark)
            targets.push_back({n, false});
        else if (atMark == kWhite && openMark == kMark && classifyResult(heard) < 0)
            targets.push_back({n, true});
        else
            advanceProgress();
    }
    return targets;
}

DeviceIdentity MainForm::identifyAlone(const IdentifyTarget& target) {
    m_rule.step([&] { m_env.pump.pumpPending(); });
    DeviceIdentity found;
    openPort(target.n);
    bool opened = false;
    m_rule.step([&] { opened = unit().MSComm1.portOpen(); });
    if (opened) {
        m_rule.step([&] { unit().Waits(kIdentifySettleMs); });
        m_rule.step([&] { found = identifyDevice(unit(), target.searchSpeed); });
    }
    closePort();
    advanceProgress();
    m_rule.clear();
    return found;
}

// The white AT cell keeps its text, colour and reason; the reason gains the speed found.
void MainForm::noteSpeed(std::int16_t n, int speed) {
    const QString reason = m_atFailures[static_cast<std::size_t>(n)].reason;
    const QString found = kAnswersAtSpeed.arg(speed);
    m_rule.step([&] { m_w.MSFlexGrid1.setRow(n); });
    m_rule.step([&] { m_w.MSFlexGrid1.setCol(kAtCol); });
    m_rule.step(
        [&] { m_w.MSFlexGrid1.setCellToolTip(reason.isEmpty() ? found : reason + u'。' + found); });
}

// The tooltips of the port's name and of its information cell tell what is known; a grid
// that never showed anything is left untouched. Returns whether the grid was written.
bool MainForm::publishIdentities() {
    bool any = false;
    for (const DeviceIdentity& identity : m_identities) any = any || !identity.isEmpty();
    if (!any && !m_identitiesShown) return false;
    m_identitiesShown = any;
    for (std::int16_t n = kFirstPort; n <= kLastPort; ++n) {
        const QString note = identityNote(m_identities[static_cast<std::size_t>(n)]);
        m_rule.step([&] { m_w.MSFlexGrid1.setRow(n); });
        for (int col : {kPortCol, kInfoCol}) {
            m_rule.step([&] { m_w.MSFlexGrid1.setCol(col); });
            m_rule.step([&] { m_w.MSFlexGrid1.setCellIdentity(note); });
        }
    }
    return true;
}

}  // namespace qelv
