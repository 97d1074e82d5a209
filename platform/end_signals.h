// SIGTERM, SIGINT and SIGHUP end the game the way a window close does: at
// once, and never in the middle of writing a file. Outside a write the
// handler ends the process itself (with any message box helper), so a main
// thread that is waiting on the display or the sound device cannot delay
// it; during a write it only notes the signal, and the platform's next
// yield ends the process once the write is whole. The single-instance lock
// goes with the process either way.
#pragma once

#include <sys/types.h>

namespace tamblor {

// Installs the handlers (once; later calls do nothing).
void CatchEndSignals();

// The signal that asked the game to end, or 0.
int PendingEndSignal();

// The exit status for an end by `signal`: 128 + its number, as a shell
// reports a program a signal ended.
inline int EndSignalStatus(int signal) { return 128 + signal; }

// While one lives, a signal waits for the next yield instead of ending the
// process: files being written are finished first.
class WritingFiles {
public:
    WritingFiles();
    ~WritingFiles();
    WritingFiles(const WritingFiles&) = delete;
    WritingFiles& operator=(const WritingFiles&) = delete;
};

// The process group of a message box helper to end along with the game
// (0: none).
void SetBoxHelperGroup(pid_t group);

}  // namespace tamblor
