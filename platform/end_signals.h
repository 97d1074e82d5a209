// SIGTERM, SIGINT and SIGHUP end the game the way a window close does. The
// handler only notes the signal; the platform's next yield (or the wait of
// a message box) ends the process in order, so a save in progress finishes
// and the single-instance lock goes with the process.
#pragma once

namespace tamblor {

// Installs the handlers (once; later calls do nothing).
void CatchEndSignals();

// The signal that asked the game to end, or 0.
int PendingEndSignal();

// The exit status for an end by `signal`: 128 + its number, as a shell
// reports a program a signal ended.
inline int EndSignalStatus(int signal) { return 128 + signal; }

}  // namespace tamblor
