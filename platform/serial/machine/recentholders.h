#pragma once

#include "procholders.h"

#include <QString>

#include <chrono>

namespace qelv {

// How long one pass over the processes serves the devices asked about after it.
inline constexpr std::chrono::milliseconds kHolderPassLife{100};

// The holders of `device`, from a recent pass over `procDir` where one serves.
//
// A pass costs milliseconds per few hundred processes, and the survey asks about sixteen
// devices within a few milliseconds, so one pass serves the devices asked about after it
// while it is younger than kHolderPassLife and this device has not been asked about in it yet
// (asking again, a retry, takes a new pass). Processes started since the pass are scanned
// and added at each use; users it names are checked again on their own descriptors, so one
// that has let go since is not reported. What it can miss: a process already running at the
// pass that opens the device within kHolderPassLife after it, the race every look before an
// open has, a little wider. Safe to call from any thread.
DeviceHolders recentDeviceHolders(dev_t device, const QString& procDir);

}  // namespace qelv
