#pragma once

#include "fakes.h"
#include "mdcomm.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

namespace qelv::test {

// A unit on a fake line whose COM1 is open, for the exchange and collection tests.
struct OpenLineTest : ::testing::Test {
    FakeLine line;
    Mdcomm unit{line.clock, line.pump, line.port};

    void SetUp() override {
        line.port.addDevice(1);
        line.port.setPortOpen(true);
    }
    // Pieces arriving at the given test times.
    void script(std::initializer_list<std::pair<std::int64_t, const char*>> pieces) {
        for (const auto& [ms, text] : pieces) line.port.arriveAt(ms, QString::fromLatin1(text));
    }
    QString lastSent() const { return line.port.sent().back().text; }
};

}  // namespace qelv::test
