// The X connection behind a window, kept apart because the X headers'
// names (None, Bool, Window...) would clash with the game's own.
// The game's own header first: the X names are defined only after it.
#include "platform/sdl_parts.h"

#include <SDL.h>
#include <SDL_syswm.h>

namespace tamblor {

int WindowConnectionFd(SDL_Window* window) {
#if defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (window != nullptr && SDL_GetWindowWMInfo(window, &info) == SDL_TRUE &&
        info.subsystem == SDL_SYSWM_X11 && info.info.x11.display != nullptr)
        return ConnectionNumber(info.info.x11.display);
#else
    (void)window;
#endif
    return -1;
}

}  // namespace tamblor
