// Window, event pump, clock and keyboard state.
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/sdl_parts.h"

namespace tamblor {

namespace {
constexpr int kWindowWidth = 400;
constexpr int kWindowHeight = 300;
}  // namespace

SdlWindowSystem::SdlWindowSystem() : start_(std::chrono::steady_clock::now()) {}

SdlWindowSystem::~SdlWindowSystem() {
    if (window_ != nullptr) SDL_DestroyWindow(window_);
    if (videoUp_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

// ---------------------------------------------------------------- clock ---

uint32_t SdlWindowSystem::Tick() {
    auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(
                       std::chrono::steady_clock::now() - start_)
                       .count();
    uint64_t quantised = static_cast<uint64_t>(elapsed) / kTickQuantumMicros * kTickQuantumMicros;
    return static_cast<uint32_t>(quantised / 1000);
}

void SdlWindowSystem::Yield() {
    if (instance_.TakeActivation()) Raise();
    if (!EnsureVideo()) {
        timespec pause{0, 1000000};
        ::nanosleep(&pause, nullptr);
        return;
    }
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) Handle(event);
    if (SDL_WaitEventTimeout(&event, 1) != 0) Handle(event);
}

void SdlWindowSystem::Handle(const SDL_Event& event) {
    switch (event.type) {
        case SDL_QUIT:
            throw ProcessExit{0};
        case SDL_WINDOWEVENT:
            if (window_ == nullptr || event.window.windowID != windowId_) break;
            switch (event.window.event) {
                case SDL_WINDOWEVENT_CLOSE:
                    throw ProcessExit{0};
                case SDL_WINDOWEVENT_FOCUS_LOST:
                    // Key-up events now go elsewhere; a held key would stick.
                    ReleaseAllKeys();
                    inputLost_ = true;
                    break;
                case SDL_WINDOWEVENT_EXPOSED:
                    Paint();
                    break;
                default:
                    break;
            }
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            if (window_ != nullptr && event.key.windowID == windowId_) {
                uint8_t code = DirectInputScanCode(event.key.keysym.scancode);
                if (code != 0) keys_[code] = event.type == SDL_KEYDOWN ? 0x80 : 0;
            }
            break;
        default:
            break;
    }
}

// ------------------------------------------------------------- keyboard ---

void SdlWindowSystem::ReleaseAllKeys() { std::memset(keys_, 0, sizeof keys_); }

int32_t SdlWindowSystem::ReadState(uint8_t state[256]) {
    if (inputLost_) return kErrInputLost;
    std::memcpy(state, keys_, sizeof keys_);
    return 0;
}

bool SdlWindowSystem::Acquire() {
    inputLost_ = false;
    return true;
}

// --------------------------------------------------------------- window ---

bool SdlWindowSystem::EnsureVideo() {
    if (videoUp_) return true;
    if (videoFailed_) return false;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        // No display at all: the game is played by ear, so a window nobody
        // can see is enough.
        std::fprintf(stderr, "Tamblor: no display (%s); running without a visible window.\n",
                     SDL_GetError());
        for (const char* driver : {"offscreen", "dummy"}) {
            SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, driver, SDL_HINT_OVERRIDE);
            if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) {
                videoUp_ = true;
                break;
            }
        }
        if (!videoUp_) {
            std::fprintf(stderr, "Tamblor: no video driver at all (%s).\n", SDL_GetError());
            videoFailed_ = true;
            return false;
        }
    }
    videoUp_ = true;
    // Only scan codes matter; text input would start an input method.
    SDL_StopTextInput();
    return true;
}

bool SdlWindowSystem::EnsureWindow() {
    if (window_ != nullptr) return true;
    if (!EnsureVideo()) return false;
    window_ = SDL_CreateWindow(caption_.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                               kWindowWidth, kWindowHeight, SDL_WINDOW_HIDDEN);
    if (window_ == nullptr) {
        std::fprintf(stderr, "Tamblor: cannot create the window (%s).\n", SDL_GetError());
        return false;
    }
    windowId_ = SDL_GetWindowID(window_);
    return true;
}

void SdlWindowSystem::Paint() {
    if (window_ == nullptr) return;
    SDL_Surface* surface = SDL_GetWindowSurface(window_);
    if (surface == nullptr) return;
    SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 16, 40, 72));
    SDL_UpdateWindowSurface(window_);
}

void SdlWindowSystem::Raise() {
    if (window_ == nullptr) return;
    SDL_ShowWindow(window_);
    SDL_RestoreWindow(window_);
    SDL_RaiseWindow(window_);
    // Without a window manager (Xvfb, kiosk setups) raising does not move
    // the keyboard focus; the player asked for this window, so take it.
    SDL_SetWindowInputFocus(window_);
}

void SdlWindowSystem::SetCaption(const std::string& caption) {
    caption_ = caption;
    if (EnsureWindow()) SDL_SetWindowTitle(window_, caption_.c_str());
}

void SdlWindowSystem::Show() {
    if (!EnsureWindow()) return;
    Raise();
    Paint();
}

void SdlWindowSystem::MessageBox(const std::string& text) {
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
    const char* mode = std::getenv("TAMBLOR_MESSAGES");
    if (mode != nullptr && std::strcmp(mode, "stderr") == 0) return;
    if (!EnsureVideo()) return;
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, "Tamblor", text.c_str(), window_);
    // The box took the key-up of whatever dismissed it.
    ReleaseAllKeys();
}

void SdlWindowSystem::SetClipboard(const std::string& text) {
    if (EnsureVideo()) SDL_SetClipboardText(text.c_str());
}

bool SdlWindowSystem::ClaimSingleInstance() { return instance_.Claim(); }

void SdlWindowSystem::ActivateRunningInstance() { instance_.Activate(); }

}  // namespace tamblor
