#include "shutdown.h"

#include <atomic>

namespace qelv::shutdown {

namespace {
// -1 means no request; lock-free so that a signal handler may store into it.
std::atomic<int> g_exitCode{-1};
static_assert(std::atomic<int>::is_always_lock_free);
}  // namespace

void request(int exitCode) noexcept {
    int expected = -1;
    g_exitCode.compare_exchange_strong(expected, exitCode < 0 ? 1 : exitCode);
}

bool requested() noexcept {
    return g_exitCode.load() >= 0;
}

int exitCode() noexcept {
    return g_exitCode.load() < 0 ? 0 : g_exitCode.load();
}

void throwIfRequested() {
    if (requested()) throw ShutdownRequested(exitCode());
}

void reset() noexcept {
    g_exitCode.store(-1);
}

}  // namespace qelv::shutdown
