// Window, event pump, clock and keyboard state.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/end_signals.h"
#include "platform/sdl_parts.h"
#include "platform/sdl_platform.h"

namespace tamblor {

namespace {
constexpr int kWindowWidth = 640;
constexpr int kWindowHeight = 480;

// How another thread (the audio callback, the test pad) ends the game
// thread's wait. Writing it touches no display connection: a wake sent as
// an SDL event from the audio thread makes SDL write to the X server on a
// second connection, and an error there (the window already gone at exit)
// surfaces only when SDL closes it, where Xlib ends the process with 1.
int WakeFd() {
    static const int fd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    return fd;
}

// Whether a wake came since the last call.
bool TakeWake() {
    uint64_t count = 0;
    return WakeFd() >= 0 && ::read(WakeFd(), &count, sizeof count) == sizeof count && count > 0;
}

// True while the game thread waits in SDL's own wait (a window not on X),
// which only an SDL event ends.
std::atomic<bool> g_waitingInSdl{false};
}  // namespace

SdlWindowSystem::SdlWindowSystem() : start_(std::chrono::steady_clock::now()) { WakeFd(); }

SdlWindowSystem::~SdlWindowSystem() {
    for (SDL_GameController* pad : pads_)
        if (pad != nullptr) SDL_GameControllerClose(pad);
    if (padsUp_) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
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

// Time only moves on in whole steps, so until the next step nothing can
// change but what an event brings: a key, the window, or a sound running
// out (WakeGameThread). A pass therefore waits for whichever comes first.
int SdlWindowSystem::MillisecondsToNextTick(int extra) {
    auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(
                       std::chrono::steady_clock::now() - start_)
                       .count();
    uint64_t next = (static_cast<uint64_t>(elapsed) / kTickQuantumMicros + 1 + static_cast<uint64_t>(extra)) *
                    kTickQuantumMicros;
    // Rounded up: waking before the step would only cost an idle pass.
    return static_cast<int>((next - static_cast<uint64_t>(elapsed) + 999) / 1000);
}

void SdlWindowSystem::Yield() { Pass(0); }

// An idle wait ends at the latest after this many steps (125 ms): the
// longest a caption outlives its time, a controller plugged in goes
// unheard, or an end signal waits.
constexpr int kIdleWaitSteps = 8;

bool SdlWindowSystem::PadOpen() const {
    for (SDL_GameController* pad : pads_)
        if (pad != nullptr) return true;
    return false;
}

void SdlWindowSystem::YieldIdle() {
    // A controller's buttons are read at the pass, not sent as events.
    Pass(PadOpen() ? 0 : kIdleWaitSteps - 1);
}

void SdlWindowSystem::Pass(int extraSteps) {
    if (int signal = PendingEndSignal()) throw ProcessExit{EndSignalStatus(signal)};
    if (instance_.TakeActivation()) Raise();
    if (!EnsureVideo()) {
        timespec pause{0, 1000000};
        ::nanosleep(&pause, nullptr);
        return;
    }
    OpenPads();
    RunTestPadCommands();
    StartRumble();
    const uint32_t changesBefore = keyChanges_;
    UpdatePads();
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) Handle(event);
    // A key change that arrived now, or that the game read just before this
    // call, is acted on by the pass after it: that pass runs at once.
    const bool keysFresh = keyChanges_ != changesBefore || keysJustRead_;
    keysJustRead_ = false;
    if (keysFresh) return;
    Wait(MillisecondsToNextTick(extraSteps), PadOpen());
}

void SdlWindowSystem::Wait(int ms, bool padOpen) {
    SDL_Event event;
    if (windowFd_ < 0 || WakeFd() < 0) {
        g_waitingInSdl = true;
        // A wake that came before the flag was up would push no event.
        if (!TakeWake() && SDL_WaitEventTimeout(&event, ms) != 0) Handle(event);
        g_waitingInSdl = false;
        return;
    }
    // A controller's events come on descriptors SDL keeps to itself, so
    // with one open SDL's queue is looked at every millisecond.
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        pollfd watched[2] = {{windowFd_, POLLIN, 0}, {WakeFd(), POLLIN, 0}};
        // Input, a wake, or a signal (EINTR) ends the wait.
        if (::poll(watched, 2, padOpen ? 1 : static_cast<int>(left.count())) != 0) break;
        if (!padOpen) break;
        SDL_PumpEvents();
        if (SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT) == SDL_TRUE) break;
    }
    TakeWake();
    while (SDL_PollEvent(&event) != 0) Handle(event);
}

namespace {
Uint32 WakeEventType() {
    static const Uint32 type = SDL_RegisterEvents(1);
    return type;
}
}  // namespace

void WakeGameThread() {
    const uint64_t one = 1;
    if (WakeFd() >= 0) (void)!::write(WakeFd(), &one, sizeof one);
    if (!g_waitingInSdl) return;
    // Before the window's event queue is up there is no wait to end.
    if (SDL_WasInit(SDL_INIT_EVENTS) == 0 || WakeEventType() == Uint32(-1)) return;
    SDL_Event event{};
    event.type = WakeEventType();
    SDL_PushEvent(&event);
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
                case SDL_WINDOWEVENT_SIZE_CHANGED:
                    Paint();
                    break;
                default:
                    break;
            }
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            // F11 is no key of the game's, in any menu or table.
            if (event.type == SDL_KEYDOWN && event.key.keysym.scancode == SDL_SCANCODE_F11 && event.key.repeat == 0)
                ToggleFullScreen();
            if (window_ != nullptr && event.key.windowID == windowId_) {
                uint8_t code = DirectInputScanCode(event.key.keysym.scancode);
                uint8_t value = event.type == SDL_KEYDOWN ? 0x80 : 0;
                if (code != 0 && keys_[code] != value) {
                    keys_[code] = value;
                    ++keyChanges_;
                }
            }
            break;
        default:
            HandlePad(event);
            break;
    }
}

// ------------------------------------------------------------- keyboard ---

void SdlWindowSystem::ReleaseAllKeys() {
    std::memset(keys_, 0, sizeof keys_);
    padKeys_.ReleaseAll();
    ++keyChanges_;
}

int32_t SdlWindowSystem::ReadState(uint8_t state[256]) {
    if (keyChangesRead_ != keyChanges_) {
        keyChangesRead_ = keyChanges_;
        keysJustRead_ = true;
    }
    if (inputLost_) return kErrInputLost;
    std::memcpy(state, keys_, sizeof keys_);
    padKeys_.MergeInto(state);
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
    // The window is a plain filled surface. Without this SDL backs it with
    // an OpenGL texture, which loads Mesa and LLVM: tens of megabytes and a
    // slow first frame for nothing the player hears.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    WakeEventType();
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
                               kWindowWidth, kWindowHeight, SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
    if (window_ == nullptr) {
        std::fprintf(stderr, "Tamblor: cannot create the window (%s).\n", SDL_GetError());
        return false;
    }
    windowId_ = SDL_GetWindowID(window_);
    windowFd_ = WindowConnectionFd(window_);
    return true;
}

void SdlWindowSystem::Draw(const Frame& frame) {
    frame_ = frame;
    framed_ = true;
    if (window_ != nullptr) screen_.Paint(window_, frame_, false);
}

void SdlWindowSystem::ToggleFullScreen() {
    if (window_ == nullptr) return;
    const bool full = (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0;
    SDL_SetWindowFullscreen(window_, full ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
}

void SdlWindowSystem::Paint() {
    if (window_ == nullptr) return;
    if (framed_) {
        screen_.Paint(window_, frame_, true);
        return;
    }
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
    if (!BoxBesideTheGame(text)) {
        // No helper could be started: the box blocks this thread instead.
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, "Tamblor", text.c_str(), window_);
    }
    // The box took the key-up of whatever dismissed it.
    ReleaseAllKeys();
}

namespace {
constexpr char kHelperVariable[] = "TAMBLOR_MESSAGE_BOX";

// The helper showing one box. Ending it closes the box; it is always
// reaped, also when the game ends while the box is up.
class BoxHelper {
public:
    explicit BoxHelper(const std::string& text) {
        int text_pipe[2];
        if (::pipe2(text_pipe, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, text_pipe[0], STDIN_FILENO);
        std::vector<std::string> env;
        for (char** e = environ; *e != nullptr; ++e) env.emplace_back(*e);
        env.push_back(std::string(kHelperVariable) + "=1");
        std::vector<char*> envp;
        for (std::string& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        char name[] = "tamblor";
        char* argv[] = {name, nullptr};
        // A process group of its own: the box may be drawn by a process the
        // helper forks, and ending the group ends that one too.
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
        posix_spawnattr_setpgroup(&attributes, 0);
        if (::posix_spawn(&pid_, "/proc/self/exe", &actions, &attributes, argv, envp.data()) != 0) pid_ = -1;
        posix_spawnattr_destroy(&attributes);
        posix_spawn_file_actions_destroy(&actions);
        if (pid_ > 0) SetBoxHelperGroup(pid_);
        ::close(text_pipe[0]);
        if (pid_ > 0) {
            // A box's text is far below the pipe's capacity: this never blocks.
            size_t at = 0;
            while (at < text.size()) {
                ssize_t n = ::write(text_pipe[1], text.data() + at, text.size() - at);
                if (n <= 0 && errno != EINTR) break;
                if (n > 0) at += size_t(n);
            }
        }
        ::close(text_pipe[1]);
    }
    ~BoxHelper() {
        SetBoxHelperGroup(0);
        if (pid_ <= 0) return;
        ::kill(-pid_, SIGTERM);
        while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    bool Started() const { return pid_ > 0; }
    bool Closed() {
        int status;
        if (::waitpid(pid_, &status, WNOHANG) != pid_) return false;
        SetBoxHelperGroup(0);
        pid_ = -1;
        return true;
    }

private:
    pid_t pid_ = -1;
};

bool ClosesTheBox(const SDL_Event& event) {
    if (event.type != SDL_KEYDOWN || event.key.repeat != 0) return false;
    SDL_Scancode key = event.key.keysym.scancode;
    return key == SDL_SCANCODE_RETURN || key == SDL_SCANCODE_KP_ENTER || key == SDL_SCANCODE_SPACE ||
           key == SDL_SCANCODE_ESCAPE;
}
}  // namespace

bool SdlWindowSystem::BoxBesideTheGame(const std::string& text) {
    BoxHelper box(text);
    if (!box.Started()) return false;
    // Keys held when the box came up (the one that led here) do not close it.
    for (;;) {
        if (int signal = PendingEndSignal()) throw ProcessExit{EndSignalStatus(signal)};
        if (box.Closed()) return true;
        if (instance_.TakeActivation()) Raise();
        SDL_Event event;
        if (SDL_WaitEventTimeout(&event, 10) == 0) continue;
        if (ClosesTheBox(event) && window_ != nullptr && event.key.windowID == windowId_) return true;
        Handle(event);  // a close request ends the game; the helper goes with it
    }
}

bool IsMessageBoxHelper() {
    const char* flag = std::getenv(kHelperVariable);
    return flag != nullptr && std::strcmp(flag, "1") == 0;
}

extern "C" void EndBoxGroup(int) {
    // The whole group: the helper and whatever draws its box.
    ::kill(0, SIGTERM);
}

int RunMessageBoxHelper() {
    // Goes when the game goes, however it ends.
    struct sigaction action = {};
    action.sa_handler = EndBoxGroup;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() == 1) return 1;  // the game is already gone
    std::string text;
    char chunk[4096];
    for (;;) {
        ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        text.append(chunk, size_t(n));
    }
    const SDL_MessageBoxButtonData ok = {
        SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "OK"};
    SDL_MessageBoxData box = {};
    box.flags = SDL_MESSAGEBOX_INFORMATION;
    box.title = "Tamblor";
    box.message = text.c_str();
    box.numbuttons = 1;
    box.buttons = &ok;
    int pressed = 0;
    return SDL_ShowMessageBox(&box, &pressed) == 0 ? 0 : 1;
}

void SdlWindowSystem::SetClipboard(const std::string& text) {
    if (EnsureVideo()) SDL_SetClipboardText(text.c_str());
}

bool SdlWindowSystem::ClaimSingleInstance() { return instance_.Claim(); }

void SdlWindowSystem::ActivateRunningInstance() { instance_.Activate(); }

}  // namespace tamblor
