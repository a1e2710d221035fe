#pragma once

#include "fakes.h"
#include "mdcomm.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

namespace qelv::test {

// A unit on a fake line of its own whose COM1 is open (played by `device`, silent when
// none), for the exchange and collection tests and for table rows that each need a fresh line.
struct OpenLine {
    explicit OpenLine(std::int32_t tickBase = 1000, ScriptedPort::Responder device = {})
        : line(tickBase) {
        line.port.addDevice(1, std::move(device));
        line.port.setPortOpen(true);
    }

    FakeLine line;
    Mdcomm unit{line.clock, line.pump, line.port};

    // Pieces arriving at the given test times.
    void script(std::initializer_list<std::pair<std::int64_t, const char*>> pieces) {
        for (const auto& [ms, text] : pieces) line.port.arriveAt(ms, QString::fromLatin1(text));
    }
    QString lastSent() const { return line.port.sent().back().text; }
};

struct OpenLineTest : ::testing::Test, OpenLine {};

}  // namespace qelv::test
