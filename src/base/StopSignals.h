#pragma once

// A stop asked for from outside the program, as Ctrl+C in a terminal, a scheduler's timeout or
// the end of a session ask for it: SIGINT, SIGTERM and SIGHUP, on Windows Ctrl+C, Ctrl+Break and
// the closing of the console. The first asks the run to stop at its next safe point, where
// `stopWhenAsked` raises ProcedureAbandoned and what the run made goes as the stack unwinds; a
// second ends the program at once, removing what it registered for that (base/HardStop.h), as
// the closing of the console does at once, since Windows waits for nothing after it.

// Which threads of the program the signals reach.
enum class StopSignalThreads {
    // Any: for a program that starts other programs, which would inherit signals held back.
    Any,
    // Only the one that waits for them, so that two signals count in the order they came even
    // while the others wait for the disk, which defers a signal until the wait is over. Threads
    // started later inherit this; a program started from one would too.
    One,
};

// Starts catching the signals, and the thread that ends the program on a second one; call once,
// early in main, before any other thread starts.
void catchStopSignals(StopSignalThreads threads = StopSignalThreads::Any);
// The signal that asked to stop; 0 while none has.
int stopSignal();
// Raises ProcedureAbandoned once a stop has been asked for.
void stopWhenAsked();
// The exit status by which shells tell that a signal ended a program: 128 and its number.
int exitStatusAfterStop();

// For the system's handler, and safe inside it: notes the signal, and says whether it is the
// first to ask.
bool noteStopSignal(int signal);
