#pragma once

#include <utility>

namespace qelv::bench {

double monotonicMs();
double processCpuMs();

// Wall and CPU time of one run of something, CPU counted for the whole process.
struct Usage {
    double wallMs = 0;
    double cpuMs = 0;
    // Percent of one core.
    double cpuShare() const { return wallMs > 0 ? 100.0 * cpuMs / wallMs : 0; }
};

template <typename Work>
Usage measure(Work&& work) {
    const double wall0 = monotonicMs();
    const double cpu0 = processCpuMs();
    std::forward<Work>(work)();
    return {monotonicMs() - wall0, processCpuMs() - cpu0};
}

// A field of /proc/self/status in kB (VmRSS, VmHWM); -1 when it cannot be read.
long statusKb(const char* field);
// Lowers the peak resident size to the current one, so that the next peak belongs to what
// runs after it. False when the kernel does not allow it.
bool resetPeakRss();

}  // namespace qelv::bench
