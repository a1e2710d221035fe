#include "mainform.h"

#include "mdcomm.h"
#include "shutdown.h"
#include "surveytexts.h"

namespace qelv {

using namespace survey;

MainForm::MainForm(FormWidgets widgets, Environment environment)
    : m_w(widgets), m_env(std::move(environment)), m_surveyedDevices(kLastPort + 1) {}

Mdcomm& MainForm::unit() {
    return m_env.unit();
}

void MainForm::Form_Load() {
    m_w.StatusBar1.setStyle(1);
    m_w.window.setCaption(formatCaption(m_env.version));
    m_w.MSFlexGrid1.setLoadSettings(false, false, 1);
    m_w.MSFlexGrid1.setRows(kRows);
    m_w.MSFlexGrid1.setCols(kCols);
    m_w.MSFlexGrid1.setRow(0);
    m_w.MSFlexGrid1.setCol(kPortCol);
    m_w.MSFlexGrid1.setText(kHeaders[0]);
    m_w.MSFlexGrid1.setHeaderCellStyle(3);
    for (int col = 1; col < kCols; ++col) {
        m_w.MSFlexGrid1.setCol(col);
        m_w.MSFlexGrid1.setText(kHeaders[col]);
        m_w.MSFlexGrid1.setColWidth(col, kColWidths[col]);
        m_w.MSFlexGrid1.setHeaderCellStyle(3);
    }
    m_w.MSFlexGrid1.refresh();
}

void MainForm::Form_Resize() {
    m_w.MSFlexGrid1.setWidth(m_w.window.innerWidth());
    const float top = m_w.MSFlexGrid1.top();
    const float barHeight = m_w.StatusBar1.height();
    const float height = m_w.window.innerHeight() - top - barHeight;
    // A window smaller than the grid's top plus the status bar leaves no room at all.
    m_w.MSFlexGrid1.setHeight(height < 0.0f ? 0.0f : height);
}

void MainForm::Form_Unload(std::int16_t& /*cancel*/) {
    shutdown::request(0);
    if (m_env.endProgram) m_env.endProgram();
}

void MainForm::Command1_Click() {
    m_w.Command1.setEnabled(false);
    m_w.Command1.setCaption(kBusyCaption);
    m_progress = 0;
    m_exchangeTimes = {};
    m_w.StatusBar1.setProgress(0, surveySteps());
    m_atFailures.assign(kRows, {});
    m_identities.assign(kRows, {});
    try {
        DetectPorts();
        CheckAtAcceptance();
        ReadDeviceInfo();
        IdentifyDevices();
    } catch (const ShutdownRequested&) {
        closePort();
        throw;
    }
    m_w.StatusBar1.setProgress(0, 0);
    m_w.Command1.setCaption(kIdleCaption);
    m_w.Command1.setEnabled(true);
}

void MainForm::describePorts() {
    if (!m_env.describePort) return;
    const int row = m_w.MSFlexGrid1.row();
    const int col = m_w.MSFlexGrid1.col();
    for (std::int16_t n = kFirstPort; n <= kLastPort; ++n) {
        const QString& surveyed = m_surveyedDevices[static_cast<std::size_t>(n)];
        if (surveyed.isNull()) continue;
        m_rule.step([&] {
            QString now = m_env.describePort(n);
            if (now != surveyed) now += QStringLiteral("\n\n") + kDeviceChanged;
            m_w.MSFlexGrid1.setRow(n);
            m_w.MSFlexGrid1.setCol(kPortCol);
            m_w.MSFlexGrid1.setCellToolTip(now);
        });
    }
    m_rule.step([&] { m_w.MSFlexGrid1.setRow(row); });
    m_rule.step([&] { m_w.MSFlexGrid1.setCol(col); });
    m_rule.clear();
}

void MainForm::advanceProgress() {
    m_rule.step([&] { m_w.StatusBar1.setProgress(++m_progress, surveySteps()); });
}

int MainForm::surveySteps() const {
    return kSurveySteps + (m_env.identify ? kPorts : 0);
}

const DeviceIdentity& MainForm::identity(int n) const {
    static const DeviceIdentity kNothing;
    if (n < 0 || static_cast<std::size_t>(n) >= m_identities.size()) return kNothing;
    return m_identities[static_cast<std::size_t>(n)];
}

void MainForm::openPort(std::int16_t n) {
    // The unit is reached afresh at each step: the first reach creates it, under the rule.
    openSteps(
        m_rule, [this]() -> SerialPort& { return unit().MSComm1; }, n);
}

std::optional<QString> MainForm::inputStep(ErrorRule& rule, SerialPort& port) {
    std::optional<QString> piece;
    rule.step([&] { piece = port.Input(); });
    return piece;
}

void MainForm::openSteps(ErrorRule& rule, const std::function<SerialPort&()>& port,
                         std::int16_t n) {
    rule.step([&] { port().setCommPort(n); });
    rule.step([&] { port().setSettings(kLineSettings); });
    rule.step([&] { port().setDTREnable(true); });
    rule.step([&] { port().setRTSEnable(true); });
    rule.step([&] { port().setHandshaking(0); });
    rule.step([&] { port().setPortOpen(true); });
}

void MainForm::closePort() {
    m_rule.step([&] { unit().MSComm1.setPortOpen(false); });
}

}  // namespace qelv
