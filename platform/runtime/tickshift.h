#pragma once

#include <cstdint>

// Not part of the library: lets a test put SystemTickClock's count where it needs it, next to
// either of its wraps, while the count keeps running with the system's clock. Days of uptime
// are what the wraps take otherwise.
namespace qelv {

// From now on SystemTickClock reads `count` at this moment and runs on from there.
void shiftTickCount(std::int32_t count);
// Back to milliseconds since boot.
void unshiftTickCount();

}  // namespace qelv
