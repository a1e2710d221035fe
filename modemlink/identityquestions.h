#pragma once

/// \file
/// IdentityQuestions, the plan of questions that identify a device, for callers that run
/// their own exchanges.

#include "identity.h"
#include "qelvexport.h"

#include <QString>
#include <QStringView>

#include <array>
#include <cstdint>
#include <optional>

namespace qelv {

/// One question of the identification: a command line, the line speed to ask it at, and its
/// time limit.
struct IdentityQuestion {
    QString command;          ///< the command line without its line end ("AT+CGMI")
    int lineSpeed = 0;        ///< set the port to this speed in bit/s first; 0 keeps it
    std::int32_t waitMs = 0;  ///< how long to wait for its final result code
};

/// Which command to send next to identify a device, given what it answered so far. Pure: no
/// I/O, no clock. identifyDevice runs it on an Mdcomm; a caller that talks to several ports
/// at once runs one per port, sending each question with SendModemFinal's stop rule
/// (PendingExchange::untilFinalResult) and handing back the reply as collected.
///
/// The questions, one command a line, each asked only while what it answers is unknown:
/// 1. With a speed search: "AT" at each of kSearchSpeeds in turn, kProbeWaitMs each, until
///    one is answered "OK" CR LF; the rest is asked at that speed. When none is, nothing is.
/// 2. The 3GPP TS 27.007 identification, +CGMI, +CGMM, +CGMR and +CGSN; each one refused
///    (ERROR, +CME ERROR) or not answered is asked again in its V.250 form, +GMI, +GMM, +GMR
///    or +GSN. kCommandWaitMs each.
/// 3. ATI, while the manufacturer, model or revision is unknown (labelled lines, or a
///    classic modem's product code as the model); then ATI3, the revision of a classic modem.
///
/// kSilentInARow questions in a row without a final result end the plan: the device is not
/// listening. So does a port that fails. The whole plan takes at most kMostTime.
class QELV_EXPORT IdentityQuestions {
public:
    /// A plan for a device on a port that runs at `portSpeed` bit/s (the speed an identity
    /// reports when the device answers there), with or without a speed search first.
    explicit IdentityQuestions(int portSpeed, bool searchSpeed = false);

    /// The question to ask now; nothing once the plan is over.
    std::optional<IdentityQuestion> next() const;
    /// The reply to the question next() gave, as collected (stopped at its final result
    /// code, or cut off by its time limit).
    void answer(QStringView reply);
    /// The port failed (the device went away): the plan is over.
    void portFailed() { m_step = kDone; }
    /// What the device said so far.
    const DeviceIdentity& identity() const { return m_identity; }

    /// The speeds a search tries, in this order.
    static constexpr std::array<int, 5> kSearchSpeeds{115200, 57600, 38400, 19200, 4800};
    /// The time limit of one "AT" of the speed search.
    static constexpr std::int32_t kProbeWaitMs = 200;
    /// The time limit of one identification command.
    static constexpr std::int32_t kCommandWaitMs = 1000;
    /// Questions without a final result in a row that end the plan.
    static constexpr int kSilentInARow = 2;
    /// The most commands the identification proper asks.
    static constexpr int kMostCommands = 10;
    /// The longest a plan can take, its limits added up.
    static constexpr std::int32_t kMostTime =
        static_cast<std::int32_t>(kSearchSpeeds.size()) * kProbeWaitMs +
        kMostCommands * kCommandWaitMs;

private:
    static constexpr int kDone = -1;

    bool searching() const {
        return m_searching && m_probe < static_cast<int>(kSearchSpeeds.size());
    }
    bool wanted(int step) const;
    void advance();
    void answerProbe(QStringView reply);

    DeviceIdentity m_identity;
    int m_portSpeed;
    int m_probe = 0;  // the next speed of the search; past the end once it is over
    int m_step = 0;   // the next command of the identification proper, or kDone
    int m_silent = 0;
    bool m_unanswered = false;  // the last command was refused or not answered
    bool m_searching;
};

}  // namespace qelv
