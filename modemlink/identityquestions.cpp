#include "identityquestions.h"

#include "replylines.h"

namespace qelv {

namespace {

enum class Asks { Manufacturer, Model, Revision, Serial, Information };

struct Step {
    QStringView command;
    Asks asks;
    bool twin;  // the V.250 form, asked only when the 27.007 form before it got no answer
};

// The commands from the makers' manuals that name a device: every current cellular module
// knows the 27.007 forms; Wi-Fi modules' AT firmware and the 56k modems of the V.250 era know
// the V.250 forms; older modems know only ATI (a product code) and ATI3 (their revision).
constexpr std::array<Step, IdentityQuestions::kMostCommands> kSteps{
    {{u"AT+CGMI", Asks::Manufacturer, false},
     {u"AT+GMI", Asks::Manufacturer, true},
     {u"AT+CGMM", Asks::Model, false},
     {u"AT+GMM", Asks::Model, true},
     {u"AT+CGMR", Asks::Revision, false},
     {u"AT+GMR", Asks::Revision, true},
     {u"AT+CGSN", Asks::Serial, false},
     {u"AT+GSN", Asks::Serial, true},
     {u"ATI", Asks::Information, false},
     {u"ATI3", Asks::Revision, false}}};

const QString kProbe = QStringLiteral("AT");
const QString kOkLine = QStringLiteral("OK\r\n");

}  // namespace

IdentityQuestions::IdentityQuestions(int portSpeed, bool searchSpeed)
    : m_portSpeed(portSpeed), m_searching(searchSpeed) {}

bool IdentityQuestions::wanted(int step) const {
    const Step& s = kSteps[static_cast<std::size_t>(step)];
    switch (s.asks) {
        case Asks::Manufacturer:
            return !m_identity.manufacturer.known() && (!s.twin || m_unanswered);
        case Asks::Model:
            return !m_identity.model.known() && (!s.twin || m_unanswered);
        case Asks::Revision:
            return !m_identity.revision.known() && (!s.twin || m_unanswered);
        case Asks::Serial:
            return !m_identity.serial.known() && (!s.twin || m_unanswered);
        case Asks::Information:
            return !m_identity.manufacturer.known() || !m_identity.model.known() ||
                   !m_identity.revision.known();
    }
    return false;
}

void IdentityQuestions::advance() {
    do {
        ++m_step;
    } while (m_step < kMostCommands && !wanted(m_step));
    if (m_step >= kMostCommands) m_step = kDone;
}

std::optional<IdentityQuestion> IdentityQuestions::next() const {
    if (m_step == kDone) return std::nullopt;
    if (searching())
        return IdentityQuestion{kProbe, kSearchSpeeds[static_cast<std::size_t>(m_probe)],
                                kProbeWaitMs};
    return IdentityQuestion{kSteps[static_cast<std::size_t>(m_step)].command.toString(), 0,
                            kCommandWaitMs};
}

void IdentityQuestions::answer(QStringView reply) {
    if (m_step == kDone) return;
    if (searching()) {
        answerProbe(reply);
        return;
    }
    const Step& step = kSteps[static_cast<std::size_t>(m_step)];
    fillIdentity(m_identity, parseIdentityReply(step.command, reply));
    const ReplyLines::End end = splitReply(step.command, reply).end;
    m_unanswered = end != ReplyLines::End::Ok;
    if (end != ReplyLines::End::None && m_identity.speed == 0) m_identity.speed = m_portSpeed;
    m_silent = end == ReplyLines::End::None ? m_silent + 1 : 0;
    if (m_silent >= kSilentInARow)
        m_step = kDone;
    else
        advance();
}

void IdentityQuestions::answerProbe(QStringView reply) {
    if (reply.contains(kOkLine)) {
        m_identity.speed = kSearchSpeeds[static_cast<std::size_t>(m_probe)];
        m_probe = static_cast<int>(kSearchSpeeds.size());
        return;
    }
    if (++m_probe >= static_cast<int>(kSearchSpeeds.size())) m_step = kDone;
}

}  // namespace qelv
