#pragma once

#include "atfailure.h"
#include "caption.h"
#include "errorrule.h"
#include "eventpump.h"
#include "formwidgets.h"
#include "identity.h"
#include "serialport.h"
#include "surveyshape.h"

#include <QString>

#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace qelv {

class Mdcomm;

// The main window's behaviour, free of any toolkit: it works on the widgets through the
// platform interfaces, so the same form runs in the window, headless and under test.
//
// A survey runs three passes over COM1 to COM16 and writes the grid; the cell marks are the
// only thing one pass hands to the next. Every step of a pass runs under the error rule, so
// a pass never fails; only ShutdownRequested (the program is ending) leaves a survey early,
// with the port closed on the way out.
class MainForm {
public:
    struct Environment {
        EventPump& pump;
        // Reaches the modem-link unit; the first call creates it.
        std::function<Mdcomm&()> unit;
        // Text for the tooltip of a port's name cell (its device); may be empty.
        std::function<QString(int)> describePort = {};
        // Ends the program's main loop; called by Form_Unload.
        std::function<void()> endProgram = {};
        VersionNumbers version = {};
        // With `parallel`, the two AT passes talk to all their ports at once, each through a
        // port of its own made by `newPort` (unconfigured, over the same COM map as the
        // unit's). Without it the survey goes one port at a time through the unit.
        bool parallel = false;
        std::function<std::unique_ptr<SerialPort>()> newPort = {};
        // With `identify`, one more step after the three passes asks each port that passed
        // the AT check who its device is, and looks for the speed at which a port that opened
        // but answered nothing or noise does answer. Without it nothing more reaches a device.
        bool identify = false;
        // What is known of COMn's device without asking it (ModemManager, USB); may be empty.
        std::function<DeviceIdentity(int)> knownIdentity = {};
    };

    MainForm(FormWidgets widgets, Environment environment);

    void Form_Load();
    void Form_Resize();
    // Never refuses the close; requests the program's end, which also stops a running survey
    // at its next wait.
    void Form_Unload(std::int16_t& cancel);
    void Command1_Click();
    // Between surveys, when the machine's devices changed: each port name the grid has gets
    // the tooltip describePort gives now, saying so when that is not the device the last
    // survey found. The results and the current cell stay as they are.
    void describePorts();

    // How long port n's exchange in the pass that writes `resultCol` took in the latest
    // survey, from the command's send to the end of the collection by the unit's clock;
    // nothing when that pass did not try the port or its exchange failed.
    std::optional<std::chrono::milliseconds> exchangeTime(std::int16_t n, int resultCol) const {
        return m_exchangeTimes[static_cast<std::size_t>(n)][static_cast<std::size_t>(resultCol)];
    }

    // The number of port steps a whole survey goes through (each pass, each port).
    static constexpr int kSurveySteps = survey::kSurveySteps;
    // Between a port's open and its AT command, and the time limit of that exchange, in ms.
    static constexpr std::int32_t kSettleMs = 1000;
    static constexpr std::int32_t kAtWaitMs = 2000;
    // Between a port's open and the first question of its identification.
    static constexpr std::int32_t kIdentifySettleMs = 500;

    // What is known of COMn's device since the last survey: its answers to the
    // identification, then what knownIdentity said. Empty before a survey.
    const DeviceIdentity& identity(int n) const;

private:
    struct AtPass {
        const QString& status;
        int markCol;
        const char* command;
        int resultCol;
    };

    void DetectPorts();
    void CheckAtAcceptance();
    void ReadDeviceInfo();
    void IdentifyDevices();
    struct Link;
    struct Asking;
    struct IdentifyTarget {
        std::int16_t n;
        bool searchSpeed;
    };

    void runAtPass(const AtPass& pass);
    void runAtPassTogether(const AtPass& pass);
    std::vector<std::pair<std::int16_t, std::unique_ptr<SerialPort>>> nextRound(
        std::vector<std::int16_t>& waiting);
    std::vector<std::int16_t> markedPorts(const AtPass& pass);
    void runRound(const AtPass& pass, std::vector<Link>& links);
    void leaveCurrentCell(const AtPass& pass, bool lastTried);
    void openLinks(std::vector<Link>& links);
    void sendAll(const AtPass& pass, std::vector<Link>& links);
    void collectAll(std::vector<Link>& links);
    bool collectOnce(Link& link, std::chrono::milliseconds& budget);
    static void finishFailed(Link& link);
    void judge(const AtPass& pass, std::int16_t n, const survey::AtAttempt& attempt);
    void detectPort(std::int16_t n);
    bool atPort(const AtPass& pass, std::int16_t n);
    void openPort(std::int16_t n);
    // The survey's opening sequence on `port`, each step under `rule`.
    static void openSteps(ErrorRule& rule, const std::function<SerialPort&()>& port,
                          std::int16_t n);
    // What `port` holds now, read as a step under `rule`; nothing when the read failed.
    static std::optional<QString> inputStep(ErrorRule& rule, SerialPort& port);
    void closePort();
    // A passed cell gets an empty failure, clearing what an earlier survey said.
    void writeResult(std::int16_t n, int col, const QString& text, std::uint32_t color,
                     const survey::AtFailure& failure);
    void advanceProgress();
    int surveySteps() const;
    Mdcomm& unit();

    std::vector<IdentifyTarget> identifyTargets();
    DeviceIdentity identifyAlone(const IdentifyTarget& target);
    std::vector<DeviceIdentity> identifyTogether(const std::vector<IdentifyTarget>& targets);
    void askRound(std::vector<Asking>& round);
    void askNext(Asking& asking);
    bool lookOnce(Asking& asking, std::chrono::milliseconds& budget);
    void noteSpeed(std::int16_t n, int speed);
    bool publishIdentities();

    FormWidgets m_w;
    Environment m_env;
    ErrorRule m_rule;
    int m_progress = 0;
    std::array<std::array<std::optional<std::chrono::milliseconds>, survey::kCols>, survey::kRows>
        m_exchangeTimes{};
    // Each port's device as the last survey described it, by port number; null before.
    std::vector<QString> m_surveyedDevices;
    // Pass 2's verdict on each port that failed it, for the identification's speed search.
    std::vector<survey::AtFailure> m_atFailures;
    std::vector<DeviceIdentity> m_identities;
    bool m_identitiesShown = false;
};

}  // namespace qelv
