// Tamblor: a pinball game played by ear.
#include <cstdio>

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
        return exit.status;
    }
    return 0;
}
