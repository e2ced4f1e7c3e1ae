#include "base/StopSignals.h"

#include "base/HardStop.h"

#include <windows.h>

#include <csignal>

namespace {
// The console's events, noted as the signals that shells on Windows report them as. The system
// calls this on a thread of its own, so a second event can do the hard stop's work right here.
BOOL WINAPI askToStop(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
        if (!noteStopSignal(SIGINT))
            stopHard();
        return TRUE;
    case CTRL_BREAK_EVENT:
        if (!noteStopSignal(SIGTERM))
            stopHard();
        return TRUE;
    case CTRL_CLOSE_EVENT:
        // The system ends the program as soon as this returns, and a few seconds later if it
        // does not: there is no next safe point to wait for.
        noteStopSignal(SIGTERM);
        stopHard();
    default:
        return FALSE;
    }
}
} // namespace

void catchStopSignals(StopSignalThreads) {
    // The system calls the handler on a thread of its own already.
    SetConsoleCtrlHandler(askToStop, TRUE);
}

void quietOthersOnStandardError() {
    // Left as it is: the console's handle and the C library's own cannot be parted safely from
    // this thread, and a line from a library after the farewell only adds words.
}

void writeToStandardError(const QByteArray& bytes) {
    // The console's line ends, as the C library's text mode writes them.
    QByteArray text = bytes;
    text.replace("\n", "\r\n");
    const HANDLE errors = GetStdHandle(STD_ERROR_HANDLE);
    DWORD written = 0;
    if (errors != nullptr && errors != INVALID_HANDLE_VALUE)
        WriteFile(errors, text.constData(), static_cast<DWORD>(text.size()), &written, nullptr);
}

void endProgramNow(int status) {
    // Not ExitProcess, which would run the libraries' clean-up while other threads may hold
    // their locks.
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(status));
    for (;;)
        Sleep(INFINITE);
}
