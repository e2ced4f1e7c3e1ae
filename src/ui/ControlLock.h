#pragma once

class QEvent;

// Takes and drops the user's clicks and keys on a locked control, which would change it; gives
// whether the event was dropped. A locked control still looks as it always does: only its value
// stays put, for a run that reads it when it needs it.
bool dropWhileLocked(bool locked, QEvent& event);
