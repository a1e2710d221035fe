// An AT pass over all its ports at once: one settling wait for all, each port's command sent
// in port order, and one loop that collects from every port until each has its stop text or
// its own limit, counted from its own send. One thread; the loop pumps events once a cycle
// and sleeps until a port has data or the earliest limit comes.

#include "mainform.h"

#include "atfailure.h"
#include "mdcomm.h"
#include "networktarget.h"
#include "pendingexchange.h"
#include "surveytexts.h"
#include "ticksbetween.h"

#include <QFileInfo>

#include <algorithm>
#include <optional>
#include <set>

namespace qelv {

using namespace survey;

struct MainForm::Link {
    std::int16_t n;
    std::unique_ptr<SerialPort> port;
    // The error rule holds per port: one port's failure is no other's.
    ErrorRule rule;
    std::optional<PendingExchange> pending;
    std::int32_t sentAt = 0;
    AtAttempt attempt;
    bool finished = false;

    // Every port is closed on the way out, a request to end included.
    ~Link() {
        if (port) closeQuietly(*port);
    }
    Link(std::int16_t number, std::unique_ptr<SerialPort> p) : n(number), port(std::move(p)) {}
    Link(Link&&) = default;
};

void MainForm::runAtPassTogether(const AtPass& pass) {
    m_rule.clear();
    m_rule.step([&] { m_w.StatusBar1.setSimpleText(pass.status); });
    std::vector<std::int16_t> waiting = markedPorts(pass);
    const bool lastTried = !waiting.empty() && waiting.back() == kLastPort;
    while (!waiting.empty()) {
        std::vector<Link> round;
        for (auto& [n, port] : nextRound(waiting)) round.emplace_back(n, std::move(port));
        runRound(pass, round);
    }
    leaveCurrentCell(pass, lastTried);
}

// A device mapped to two COM numbers can be open only once: the later number waits for a
// round of its own, once the earlier one is closed.
std::vector<std::pair<std::int16_t, std::unique_ptr<SerialPort>>> MainForm::nextRound(
    std::vector<std::int16_t>& waiting) {
    std::vector<std::pair<std::int16_t, std::unique_ptr<SerialPort>>> round;
    std::vector<std::int16_t> later;
    std::set<QString> devices;
    for (std::int16_t n : waiting) {
        auto port = m_env.newPort();
        m_rule.step([&] { port->setCommPort(n); });
        const QString path = port->devicePath();
        // A one-client server behind a URL is as busy with our first connection as a tty is
        // with our first open.
        const QString device = looksLikeUrl(path) ? path : QFileInfo(path).canonicalFilePath();
        if (!device.isEmpty() && !devices.insert(device).second) {
            later.push_back(n);
            continue;
        }
        round.emplace_back(n, std::move(port));
    }
    waiting = std::move(later);
    return round;
}

// Where the one-port-at-a-time loop leaves the current cell: on the last port's row, in the
// result column when that port was tried (its result was the last write), else in the mark
// column it was looked at in. Pass 3's closing column selection then gives row 16, column 3
// either way.
void MainForm::leaveCurrentCell(const AtPass& pass, bool lastTried) {
    m_rule.step([&] { m_w.MSFlexGrid1.setRow(kLastPort); });
    m_rule.step([&] { m_w.MSFlexGrid1.setCol(lastTried ? pass.resultCol : pass.markCol); });
}

std::vector<std::int16_t> MainForm::markedPorts(const AtPass& pass) {
    std::vector<std::int16_t> marked;
    for (std::int16_t n = kFirstPort; n <= kLastPort; ++n) {
        m_rule.step([&] { m_env.pump.pumpPending(); });
        m_rule.step([&] { m_w.MSFlexGrid1.setRow(n); });
        m_rule.step([&] { m_w.MSFlexGrid1.setCol(pass.markCol); });
        std::uint32_t mark = Grid::kNoColor;
        m_rule.step([&] { mark = m_w.MSFlexGrid1.cellBackColor(); });
        if (mark == kMark)
            marked.push_back(n);
        else
            advanceProgress();
    }
    return marked;
}

void MainForm::runRound(const AtPass& pass, std::vector<Link>& links) {
    openLinks(links);
    m_rule.step([&] { unit().Waits(kSettleMs); });
    sendAll(pass, links);
    collectAll(links);
    for (Link& link : links) {
        judge(pass, link.n, link.attempt);
        link.rule.step([&] { link.port->setPortOpen(false); });
        m_rule.clear();
    }
}

void MainForm::openLinks(std::vector<Link>& links) {
    for (Link& link : links) {
        openSteps(
            link.rule, [&link]() -> SerialPort& { return *link.port; }, link.n);
        link.attempt.waitMs = kAtWaitMs;
        link.attempt.opened = link.port->portOpen();
        if (!link.attempt.opened) link.attempt.openError = link.rule.message();
    }
}

void MainForm::sendAll(const AtPass& pass, std::vector<Link>& links) {
    for (Link& link : links) {
        bool sent = false;
        // Timed from before the send, as the one-port-at-a-time pass times SendModem.
        link.sentAt = unit().OnTime();
        link.rule.step([&] {
            link.port->Output(QLatin1String(pass.command) + QStringLiteral("\r\n"));
            sent = true;
        });
        if (sent)
            link.pending =
                PendingExchange::untilText(QStringLiteral("OK"), kAtWaitMs, unit().OnTime());
        else
            finishFailed(link);
    }
    for (Link& link : links)
        if (link.finished) advanceProgress();
}

void MainForm::collectAll(std::vector<Link>& links) {
    for (;;) {
        m_env.pump.pumpPending();
        auto budget = std::chrono::milliseconds::max();
        bool active = false;
        for (Link& link : links) {
            if (link.finished) continue;
            if (collectOnce(link, budget))
                advanceProgress();
            else
                active = true;
        }
        if (!active) return;
        m_env.pump.waitForEvents(budget);
    }
}

// One look at one port; true when its exchange is over.
bool MainForm::collectOnce(Link& link, std::chrono::milliseconds& budget) {
    const auto piece = inputStep(link.rule, *link.port);
    if (!piece) {
        finishFailed(link);
        return true;
    }
    const bool stopped = link.pending->feed(*piece);
    const auto left = stopped ? std::nullopt : link.pending->remaining(unit().OnTime());
    if (left) {
        budget = std::min(budget, *left);
        return false;
    }
    link.attempt.reply = link.pending->take();
    link.attempt.took = ticksBetween(link.sentAt, unit().OnTime());
    link.attempt.answered = true;
    link.finished = true;
    return true;
}

// As with the unit's exchange, a port error loses what was collected with it.
void MainForm::finishFailed(Link& link) {
    link.pending.reset();
    link.attempt.errorNumber = link.rule.number();
    link.finished = true;
}

}  // namespace qelv
