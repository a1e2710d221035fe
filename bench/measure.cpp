#include "measure.h"

#include <cstdio>
#include <cstring>
#include <ctime>

namespace qelv::bench {

namespace {

double clockMs(clockid_t id) {
    timespec ts{};
    ::clock_gettime(id, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

}  // namespace

double monotonicMs() {
    return clockMs(CLOCK_MONOTONIC);
}
double processCpuMs() {
    return clockMs(CLOCK_PROCESS_CPUTIME_ID);
}

long statusKb(const char* field) {
    FILE* file = std::fopen("/proc/self/status", "r");
    if (!file) return -1;
    char line[256];
    long value = -1;
    const std::size_t length = std::strlen(field);
    while (std::fgets(line, sizeof line, file)) {
        if (std::strncmp(line, field, length) == 0 && line[length] == ':') {
            std::sscanf(line + length + 1, "%ld", &value);
            break;
        }
    }
    std::fclose(file);
    return value;
}

bool resetPeakRss() {
    FILE* file = std::fopen("/proc/self/clear_refs", "w");
    if (!file) return false;
    const bool written = std::fputs("5", file) >= 0;
    return std::fclose(file) == 0 && written;
}

}  // namespace qelv::bench
