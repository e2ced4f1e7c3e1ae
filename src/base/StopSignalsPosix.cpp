#include "base/StopSignals.h"

#include "base/HardStop.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <pthread.h>
#include <thread>
#include <unistd.h>

namespace {
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The pipe by which a second signal wakes the thread that stops the program: a handler may do
// little more than write, and removing files is far more.
int g_wakeReading = -1;
std::atomic<int> g_wakeWriting{-1};
static_assert(std::atomic<int>::is_always_lock_free, "read inside a signal handler");

sigset_t stopSignalSet() {
    sigset_t stops;
    sigemptyset(&stops);
    for (const int signal : kStopSignals)
        sigaddset(&stops, signal);
    return stops;
}

void askToStop(int signal) {
    const int callersError = errno;
    if (!noteStopSignal(signal)) {
        if (const int wakeWriting = g_wakeWriting.load(); wakeWriting >= 0) {
            const char wake = 1;
            // A full pipe holds a wake already.
            [[maybe_unused]] const ssize_t written = ::write(wakeWriting, &wake, 1);
        } else {
            // No thread to hand it to: the default action, which ends the program.
            std::signal(signal, SIG_DFL);
            std::raise(signal);
        }
    }
    errno = callersError;
}

// The thread of a program whose other threads take the signals: it holds them back itself, so
// that no handler cuts into its work, and waits for the pipe.
void waitForSecondSignal() {
    for (;;) {
        char wake = 0;
        const ssize_t read = ::read(g_wakeReading, &wake, 1);
        if (read == 1)
            stopHard();
        if (read == 0 || errno != EINTR)
            return;
    }
}

// The thread of a program whose other threads hold the signals back: it takes them one by one,
// with no handler at all.
void takeStopSignals(sigset_t stops) {
    for (;;) {
        int signal = 0;
        if (sigwait(&stops, &signal) == 0 && !noteStopSignal(signal))
            stopHard();
    }
}
} // namespace

void catchStopSignals(StopSignalThreads threads) {
    // Handlers for every thread that does not hold the signals back.
    struct sigaction action {};
    action.sa_handler = askToStop;
    // Two signals that arrive together are handled one after the other, the first first; else
    // the second would interrupt the first's handler and be noted as the first.
    action.sa_mask = stopSignalSet();
    // A read or a wait that the signal cuts short is taken up again; the stop comes at the next
    // safe point instead.
    action.sa_flags = SA_RESTART;
    for (const int signal : kStopSignals)
        sigaction(signal, &action, nullptr);

    // The thread started here starts with the signals held back.
    const sigset_t stops = stopSignalSet();
    sigset_t before;
    pthread_sigmask(SIG_BLOCK, &stops, &before);
    if (threads == StopSignalThreads::One) {
        try {
            std::thread(takeStopSignals, stops).detach();
            return;
        } catch (...) {
            // No thread to take them: the handlers do, and a second signal's default action
            // ends the program.
            pthread_sigmask(SIG_SETMASK, &before, nullptr);
            return;
        }
    }
    int ends[2];
    if (::pipe(ends) == 0) {
        for (const int end : ends)
            ::fcntl(end, F_SETFD, FD_CLOEXEC);
        ::fcntl(ends[1], F_SETFL, ::fcntl(ends[1], F_GETFL) | O_NONBLOCK);
        g_wakeReading = ends[0];
        try {
            std::thread(waitForSecondSignal).detach();
            g_wakeWriting = ends[1];
        } catch (...) {
            // No thread to wake: a second signal's default action ends the program.
        }
    }
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
}

namespace {
// Where the farewell goes once standard error is turned away from the other threads.
std::atomic<int> g_farewellOutput{STDERR_FILENO};
} // namespace

void quietOthersOnStandardError() {
    const int own = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
    const int nowhere = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (own >= 0 && nowhere >= 0 && ::dup2(nowhere, STDERR_FILENO) >= 0)
        g_farewellOutput = own;
    else if (own >= 0)
        ::close(own);
    if (nowhere >= 0)
        ::close(nowhere);
}

void writeToStandardError(const QByteArray& bytes) {
    const int output = g_farewellOutput;
    const char* at = bytes.constData();
    auto left = static_cast<size_t>(bytes.size());
    while (left > 0) {
        const ssize_t written = ::write(output, at, left);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return;
        at += written;
        left -= static_cast<size_t>(written);
    }
}

void endProgramNow(int status) {
    ::_exit(status);
}
