#pragma once

/// \file
/// TickSpan, elapsed time on the wrapping tick count.

#include <chrono>
#include <cstdint>

namespace qelv {

/// Elapsed time on the wrapping 32-bit tick count, with the unit's own wrap rule: whenever a
/// reading is below the start value, the start is lowered by 0x7FFFFFFF (not 2^32). The
/// passage from -1 to 0 therefore needs no correction, and the passage from 2,147,483,647 to
/// -2,147,483,648 is corrected twice on consecutive readings and ends up 2 ms behind the
/// true time. Callers rely on waits ending never early and on that exact lateness, so the
/// rule stays. The start is kept in 64 bits: once lowered below the 32-bit range it keeps
/// its exact value and no reading can be below it again.
class TickSpan {
public:
    /// Counts from the reading `start`.
    explicit TickSpan(std::int32_t start) : m_start(start) {}

    /// Milliseconds from the start to the reading `now`, with the wrap rule applied to it.
    std::int64_t elapsed(std::int32_t now) {
        if (now < m_start) m_start -= kWrapCorrection;
        return static_cast<std::int64_t>(now) - m_start;
    }

    /// How long a loop that has `elapsed` of `limit` behind it may sleep before it must look
    /// again. Just after a wrap the elapsed value is meaningless until the second correction,
    /// which the very next reading makes, so such a loop must not sleep at all.
    static std::chrono::milliseconds sleepBudget(std::int64_t elapsed, std::int64_t limit) {
        if (elapsed < 0 || elapsed >= limit) return std::chrono::milliseconds(0);
        return std::chrono::milliseconds(limit - elapsed);
    }

    /// What the start is lowered by when a reading is below it.
    static constexpr std::int64_t kWrapCorrection = 0x7FFFFFFF;

private:
    std::int64_t m_start;
};

}  // namespace qelv
