#pragma once

// A stop asked for from outside the program, as Ctrl+C in a terminal, a scheduler's timeout or
// the end of a session ask for it: SIGINT, SIGTERM and SIGHUP, on Windows Ctrl+C, Ctrl+Break and
// the closing of the console. The first asks the run to stop at its next safe point, where
// `stopWhenAsked` raises ProcedureAbandoned and what the run made goes as the stack unwinds; a
// second ends the program at once, as if nothing caught it.

// Starts catching the signals; call once, early in main.
void catchStopSignals();
// The signal that asked to stop; 0 while none has.
int stopSignal();
// Raises ProcedureAbandoned once a stop has been asked for.
void stopWhenAsked();
// The exit status by which shells tell that a signal ended a program: 128 and its number.
int exitStatusAfterStop();

// For the system's handler, and safe inside it: notes the signal, and says whether it is the
// first to ask.
bool noteStopSignal(int signal);
