// Tamblor: a pinball game played by ear.
#include <cstdio>
#include <cstdlib>

#include "core/startup.h"
#include "platform/platform.h"
#include "platform/sdl_platform.h"

int main() {
    if (tamblor::IsMessageBoxHelper()) return tamblor::RunMessageBoxHelper();
    tamblor::SdlPlatform platform;
    tamblor::InstallPlatform(platform.Services());
    try {
        tamblor::RunGame();
    } catch (const tamblor::ProcessExit& exit) {
        if (exit.status > 128) {
            // Ended by a signal: the game has unwound and nothing is being
            // written, so the device and window teardown is skipped; whoever
            // sent the signal is waiting. The kernel closes the rest (and
            // drops the single-instance lock).
            std::fflush(nullptr);
            std::_Exit(exit.status);
        }
        return exit.status;
    }
    return 0;
}
