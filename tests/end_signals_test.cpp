// An end signal ends the process at once, except while a file is being
// written: then it waits, noted, for the next yield.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/end_signals.h"

namespace tamblor {
namespace {

// Runs `body` in a child process; returns its wait status.
template <typename Body>
int InChild(Body body) {
    pid_t pid = ::fork();
    if (pid == 0) {
        CatchEndSignals();
        body();
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return status;
}

TEST(EndSignalsTest, OutsideAWriteTheProcessEndsAtOnceWithTheSignalsStatus) {
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        int status = InChild([signal] {
            ::raise(signal);
            ::_exit(99);  // not reached
        });
        ASSERT_TRUE(WIFEXITED(status)) << signal;
        EXPECT_EQ(WEXITSTATUS(status), EndSignalStatus(signal));
    }
}

TEST(EndSignalsTest, DuringAWriteTheSignalWaitsNoted) {
    int status = InChild([] {
        {
            WritingFiles writing;
            ::raise(SIGTERM);
            if (PendingEndSignal() != SIGTERM) ::_exit(98);
        }
        ::_exit(PendingEndSignal() == SIGTERM ? 7 : 97);  // the next yield would end it
    });
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 7);
}

}  // namespace
}  // namespace tamblor
