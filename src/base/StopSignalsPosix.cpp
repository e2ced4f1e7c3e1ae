#include "base/StopSignals.h"

#include <csignal>

namespace {
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

void askToStop(int signal) {
    if (noteStopSignal(signal))
        return;
    // Asked twice: the default action, which ends the program.
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}
} // namespace

void catchStopSignals() {
    struct sigaction action {};
    action.sa_handler = askToStop;
    sigemptyset(&action.sa_mask);
    // A read or a wait that the signal cuts short is taken up again; the stop comes at the next
    // safe point instead.
    action.sa_flags = SA_RESTART;
    for (const int signal : kStopSignals)
        sigaction(signal, &action, nullptr);
}
