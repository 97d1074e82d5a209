#include "platform/end_signals.h"

#include <signal.h>

#include <initializer_list>

namespace tamblor {

namespace {
volatile sig_atomic_t g_pending = 0;

extern "C" void NoteEndSignal(int signal) {
    if (g_pending == 0) g_pending = signal;
}
}  // namespace

void CatchEndSignals() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    struct sigaction action = {};
    action.sa_handler = NoteEndSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a blocking wait returns, and the loop around it looks.
    action.sa_flags = 0;
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);
}

int PendingEndSignal() { return g_pending; }

}  // namespace tamblor
