#include "platform/end_signals.h"

#include <signal.h>
#include <unistd.h>

#include <initializer_list>

namespace tamblor {

namespace {
volatile sig_atomic_t g_pending = 0;
volatile sig_atomic_t g_writing = 0;
volatile sig_atomic_t g_boxGroup = 0;
bool g_installed = false;

extern "C" void OnEndSignal(int signal) {
    if (g_pending == 0) g_pending = signal;
    if (g_writing > 0) return;  // the next yield ends it, after the write
    if (g_boxGroup > 0) ::kill(-pid_t(g_boxGroup), SIGTERM);
    ::_exit(EndSignalStatus(signal));
}
}  // namespace

void CatchEndSignals() {
    if (g_installed) return;
    g_installed = true;
    struct sigaction action = {};
    action.sa_handler = OnEndSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a blocking wait returns, and the loop around it looks.
    action.sa_flags = 0;
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);
}

int PendingEndSignal() { return g_pending; }

WritingFiles::WritingFiles() { g_writing = g_writing + 1; }
WritingFiles::~WritingFiles() { g_writing = g_writing - 1; }

void SetBoxHelperGroup(pid_t group) { g_boxGroup = group; }

}  // namespace tamblor
