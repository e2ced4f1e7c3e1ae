#include "base/StopSignals.h"

#include "base/ErrorReport.h"

#include <atomic>

namespace {
std::atomic<int> g_stopSignal{0};
static_assert(std::atomic<int>::is_always_lock_free, "written inside a signal handler");
} // namespace

bool noteStopSignal(int signal) {
    int none = 0;
    return g_stopSignal.compare_exchange_strong(none, signal);
}

int stopSignal() {
    return g_stopSignal.load();
}

void stopWhenAsked() {
    if (g_stopSignal.load() != 0)
        throw ProcedureAbandoned{};
}

int exitStatusAfterStop() {
    return 128 + g_stopSignal.load();
}
