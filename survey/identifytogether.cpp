// The identification of all its ports at once, as the parallel AT passes run: one settling
// wait for all, then one loop that looks at every port and sends each its next question as
// soon as the last one has its final result code or its limit.

#include "mainform.h"

#include "identityquestions.h"
#include "linesettings.h"
#include "mdcomm.h"
#include "pendingexchange.h"
#include "surveytexts.h"

#include <algorithm>
#include <optional>

namespace qelv {

using namespace survey;

struct MainForm::Asking {
    std::int16_t n;
    std::unique_ptr<SerialPort> port;
    ErrorRule rule;
    IdentityQuestions questions;
    std::optional<PendingExchange> pending;
    bool finished = false;

    ~Asking() {
        if (port) closeQuietly(*port);
    }
    Asking(std::int16_t number, std::unique_ptr<SerialPort> p, bool searchSpeed)
        : n(number),
          port(std::move(p)),
          questions(parseLineSettings(kLineSettings).value_or(LineSettings{}).baudRate,
                    searchSpeed) {}
    Asking(Asking&&) = default;
};

std::vector<DeviceIdentity> MainForm::identifyTogether(const std::vector<IdentifyTarget>& targets) {
    std::vector<std::int16_t> waiting;
    for (const IdentifyTarget& target : targets) waiting.push_back(target.n);
    const auto searches = [&targets](std::int16_t n) {
        return std::any_of(targets.begin(), targets.end(),
                           [n](const IdentifyTarget& t) { return t.n == n && t.searchSpeed; });
    };
    std::vector<DeviceIdentity> found(targets.size());
    while (!waiting.empty()) {
        std::vector<Asking> round;
        for (auto& [n, port] : nextRound(waiting))
            round.emplace_back(n, std::move(port), searches(n));
        askRound(round);
        for (Asking& asking : round) {
            asking.rule.step([&] { asking.port->setPortOpen(false); });
            for (std::size_t i = 0; i < targets.size(); ++i)
                if (targets[i].n == asking.n) found[i] = asking.questions.identity();
        }
    }
    return found;
}

void MainForm::askRound(std::vector<Asking>& round) {
    for (Asking& asking : round) {
        openSteps(
            asking.rule, [&asking]() -> SerialPort& { return *asking.port; }, asking.n);
        asking.finished = !asking.port->portOpen();
        if (asking.finished) advanceProgress();
    }
    m_rule.step([&] { unit().Waits(kIdentifySettleMs); });
    for (Asking& asking : round)
        if (!asking.finished) askNext(asking);
    for (;;) {
        m_env.pump.pumpPending();
        auto budget = std::chrono::milliseconds::max();
        bool active = false;
        for (Asking& asking : round)
            if (!asking.finished) active = !lookOnce(asking, budget) || active;
        if (!active) return;
        m_env.pump.waitForEvents(budget);
    }
}

void MainForm::askNext(Asking& asking) {
    const auto question = asking.questions.next();
    bool sent = false;
    if (question) {
        asking.rule.step([&] {
            if (question->lineSpeed != 0) {
                LineSettings line = parseLineSettings(kLineSettings).value_or(LineSettings{});
                line.baudRate = question->lineSpeed;
                asking.port->setSettings(formatLineSettings(line));
            }
            // Leftovers of the last question are no answer to this one.
            asking.port->Input();
            asking.port->Output(question->command + QStringLiteral("\r\n"));
            sent = true;
        });
    }
    if (!sent) {
        asking.questions.portFailed();
        asking.pending.reset();
        asking.finished = true;
        advanceProgress();
        return;
    }
    asking.pending = PendingExchange::untilFinalResult(question->waitMs, unit().OnTime());
}

// One look at one port; true when it has nothing more to ask.
bool MainForm::lookOnce(Asking& asking, std::chrono::milliseconds& budget) {
    const auto piece = inputStep(asking.rule, *asking.port);
    if (!piece) {
        asking.questions.portFailed();
        askNext(asking);
        return true;
    }
    const bool stopped = asking.pending->feed(*piece);
    const auto left = stopped ? std::nullopt : asking.pending->remaining(unit().OnTime());
    if (left) {
        budget = std::min(budget, *left);
        return false;
    }
    asking.questions.answer(asking.pending->take());
    askNext(asking);
    if (asking.finished) return true;
    budget = std::chrono::milliseconds(0);  // the new question is looked at at once
    return false;
}

}  // namespace qelv
