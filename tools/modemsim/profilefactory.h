#pragma once

#include "options.h"
#include "profile.h"

#include <memory>

namespace qelv::modemsim {

inline constexpr long kDefaultLateMs = 2500;
inline constexpr long kMaxLateMs = 3'600'000;
// The flood never outruns this, so a runaway reader still sees a bounded rate.
inline constexpr long kMaxFloodBytesPerSecond = 4L * 1024 * 1024;

// Throws UsageError for an unknown profile or a bad or unexpected argument.
std::unique_ptr<Profile> makeProfile(const DeviceRequest& request);

}  // namespace qelv::modemsim
