#pragma once

/// \file
/// TickClock, the wrapping millisecond count, and SystemTickClock.

#include "qelvexport.h"

#include <cstdint>

namespace qelv {

/// A millisecond counter from an arbitrary origin, read as a signed 32-bit value that wraps:
/// 2,147,483,647 is followed by -2,147,483,648 and -1 by 0. The timing rules of the
/// modem-link unit are written against exactly this behaviour.
class QELV_EXPORT TickClock {
public:
    virtual ~TickClock() = default;
    /// Never fails.
    virtual std::int32_t tickCount() const = 0;
};

/// Milliseconds since the machine booted (CLOCK_BOOTTIME, which also runs during suspend),
/// truncated to 32 bits.
class QELV_EXPORT SystemTickClock final : public TickClock {
public:
    std::int32_t tickCount() const override;
};

}  // namespace qelv
