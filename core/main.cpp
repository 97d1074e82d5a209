// Tamblor: a pinball game played by ear.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/command_line.h"
#include "core/startup.h"
#include "platform/platform.h"
#include "platform/sdl_platform.h"

int main(int argc, char** argv) {
    if (tamblor::IsMessageBoxHelper()) return tamblor::RunMessageBoxHelper();
    // Read before any window or sound device is opened: --version and --help
    // answer in the terminal only.
    std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + (argc > 0 ? argc : 0));
    tamblor::CommandLineAction action =
        tamblor::ReadCommandLine(arguments, tamblor::PosixPaths().AppFolder());
    if (!action.runGame) {
        std::fputs(action.out.c_str(), stdout);
        std::fputs(action.error.c_str(), stderr);
        return action.status;
    }

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
