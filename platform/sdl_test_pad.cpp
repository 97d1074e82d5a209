// A controller for end-to-end tests, where no real pad or /dev/uinput is
// to be had: with TAMBLOR_TEST_PAD naming a FIFO, each line written to it
// works SDL's virtual joystick, which the game then finds like any pad.
//   plug | unplug | down BUTTON | up BUTTON | axis AXIS VALUE
// BUTTON is a, b, x, y, back, start, leftshoulder, rightshoulder, dpup,
// dpdown, dpleft, dpright; AXIS is leftx, lefty, lefttrigger, righttrigger.
// A rumble the game starts on it is written to standard error.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>

#include "platform/sdl_parts.h"

namespace tamblor {

namespace {
struct Command {
    char verb = 0;  // 'p' plug, 'u' unplug, 'd' down, 'r' up, 'a' axis
    int target = 0;
    int16_t value = 0;
};

// Never destroyed: the reading thread may still be blocked when the game ends.
struct Queue {
    std::mutex lock;
    Command waiting[64];
    int count = 0;
};
Queue* g_queue = nullptr;
SDL_Joystick* g_stick = nullptr;

int Lookup(const char* name, bool axis) {
    if (axis) {
        if (SDL_GameControllerAxis a = SDL_GameControllerGetAxisFromString(name); a != SDL_CONTROLLER_AXIS_INVALID)
            return a;
        return -1;
    }
    SDL_GameControllerButton b = SDL_GameControllerGetButtonFromString(name);
    return b == SDL_CONTROLLER_BUTTON_INVALID ? -1 : b;
}

void Parse(const std::string& line) {
    char verb[16] = {}, name[32] = {};
    int value = 0;
    if (std::sscanf(line.c_str(), "%15s %31s %d", verb, name, &value) < 1) return;
    Command c;
    if (std::strcmp(verb, "plug") == 0) c.verb = 'p';
    else if (std::strcmp(verb, "unplug") == 0) c.verb = 'u';
    else if (std::strcmp(verb, "down") == 0) c.verb = 'd';
    else if (std::strcmp(verb, "up") == 0) c.verb = 'r';
    else if (std::strcmp(verb, "axis") == 0) c.verb = 'a';
    else return;
    if (c.verb == 'd' || c.verb == 'r' || c.verb == 'a') {
        c.target = Lookup(name, c.verb == 'a');
        if (c.target < 0) {
            std::fprintf(stderr, "Tamblor test pad: no such input '%s'\n", name);
            return;
        }
    }
    c.value = int16_t(value < -32768 ? -32768 : value > 32767 ? 32767 : value);
    {
        std::lock_guard<std::mutex> hold(g_queue->lock);
        if (g_queue->count < int(std::size(g_queue->waiting))) g_queue->waiting[g_queue->count++] = c;
    }
    WakeGameThread();
}

void ReadCommands(std::string path) {
    for (;;) {
        // Blocks until a writer opens it; each writer's lines in turn.
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return;
        std::string line;
        char c;
        while (::read(fd, &c, 1) == 1) {
            if (c != '\n') {
                line += c;
                continue;
            }
            Parse(line);
            line.clear();
        }
        ::close(fd);
    }
}

int SDLCALL NoteRumble(void*, Uint16 low, Uint16 high) {
    std::fprintf(stderr, "Tamblor test pad: rumble %u %u\n", unsigned(low), unsigned(high));
    return 0;
}
}  // namespace

void StartTestPad() {
    const char* path = std::getenv("TAMBLOR_TEST_PAD");
    if (path == nullptr || *path == 0 || g_queue != nullptr) return;
    g_queue = new Queue;
    std::thread(ReadCommands, std::string(path)).detach();
}

void RunTestPadCommands() {
    if (g_queue == nullptr) return;
    Command batch[64];
    int count = 0;
    {
        std::lock_guard<std::mutex> hold(g_queue->lock);
        count = g_queue->count;
        std::copy(g_queue->waiting, g_queue->waiting + count, batch);
        g_queue->count = 0;
    }
    for (int i = 0; i < count; ++i) {
        const Command& c = batch[i];
        if (c.verb == 'p' && g_stick == nullptr) {
            SDL_VirtualJoystickDesc desc{};
            desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
            desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
            desc.naxes = SDL_CONTROLLER_AXIS_MAX;
            desc.nbuttons = SDL_CONTROLLER_BUTTON_DPAD_RIGHT + 1;
            desc.button_mask = (1u << desc.nbuttons) - 1;
            desc.axis_mask = (1u << desc.naxes) - 1;
            desc.name = "Tamblor test pad";
            desc.Rumble = NoteRumble;
            const int device = SDL_JoystickAttachVirtualEx(&desc);
            if (device >= 0) g_stick = SDL_JoystickOpen(device);
            if (g_stick == nullptr) std::fprintf(stderr, "Tamblor test pad: cannot attach (%s)\n", SDL_GetError());
        } else if (g_stick == nullptr) {
            continue;
        } else if (c.verb == 'u') {
            // Its device index moves as other pads come and go.
            const SDL_JoystickID id = SDL_JoystickInstanceID(g_stick);
            SDL_JoystickClose(g_stick);
            g_stick = nullptr;
            for (int d = 0; d < SDL_NumJoysticks(); ++d)
                if (SDL_JoystickGetDeviceInstanceID(d) == id) SDL_JoystickDetachVirtual(d);
        } else if (c.verb == 'd' || c.verb == 'r') {
            SDL_JoystickSetVirtualButton(g_stick, c.target, c.verb == 'd' ? 1 : 0);
        } else if (c.verb == 'a') {
            SDL_JoystickSetVirtualAxis(g_stick, c.target, c.value);
        }
    }
}

}  // namespace tamblor
