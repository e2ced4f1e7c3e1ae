#include "base/StopSignals.h"

#include <windows.h>

#include <csignal>

namespace {
// The console's events, noted as the signals that shells on Windows report them as.
BOOL WINAPI askToStop(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
        // Asked twice: the system's own handling, which ends the program.
        return noteStopSignal(SIGINT) ? TRUE : FALSE;
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
        return noteStopSignal(SIGTERM) ? TRUE : FALSE;
    default:
        return FALSE;
    }
}
} // namespace

void catchStopSignals() {
    SetConsoleCtrlHandler(askToStop, TRUE);
}
