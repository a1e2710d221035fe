#pragma once

#include <chrono>
#include <cstdint>

namespace qelv {

// The time between two readings of a unit's tick count (OnTime). The count wraps at 32 bits,
// so the distance is taken modulo 2^32: a reading after the wrap is still the later one.
// Unlike the waits' own wrap rule, nothing here must end late; this only measures.
inline std::chrono::milliseconds ticksBetween(std::int32_t from, std::int32_t to) {
    return std::chrono::milliseconds(static_cast<std::uint32_t>(to) -
                                     static_cast<std::uint32_t>(from));
}

}  // namespace qelv
