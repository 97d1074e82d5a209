#include "platform/platform.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace tamblor {

namespace {
Platform g_platform;
void (*g_beforeYield)() = nullptr;

template <typename T>
T& Need(T* service, const char* what) {
    if (service == nullptr) throw std::logic_error(std::string("no platform service: ") + what);
    return *service;
}
}  // namespace

WaveFormat PcmFormat(uint16_t channels, uint32_t rate) {
    WaveFormat f;
    f.channels = channels;
    f.samplesPerSec = rate;
    f.blockAlign = static_cast<uint16_t>(2 * channels);
    f.avgBytesPerSec = rate * f.blockAlign;
    return f;
}

void InstallPlatform(const Platform& platform) { g_platform = platform; }
const Platform& CurrentPlatform() { return g_platform; }

uint32_t GetTick() { return Need(g_platform.clock, "clock").Tick(); }
void YieldToSystem() {
    if (g_beforeYield != nullptr) g_beforeYield();
    Need(g_platform.clock, "clock").Yield();
}
void YieldIdle() {
    if (g_beforeYield != nullptr) g_beforeYield();
    Need(g_platform.clock, "clock").YieldIdle();
}
void SetBeforeYield(void (*hook)()) { g_beforeYield = hook; }
Mixer& SoundMixer() { return Need(g_platform.mixer, "mixer"); }
Keyboard& KeyboardDevice() { return Need(g_platform.keyboard, "keyboard"); }
Window& MainWindow() { return Need(g_platform.window, "window"); }
SettingsStore& Settings() { return Need(g_platform.settings, "settings"); }
std::string ProgramFolder() { return Need(g_platform.paths, "paths").AppFolder(); }
std::string UserDataRoot() { return Need(g_platform.paths, "paths").UserDataFolder(); }
float Rnd() { return Need(g_platform.random, "random").Next(); }
void Randomize() { Need(g_platform.random, "random").Reseed(); }
SpeechService* TextSpeech() { return g_platform.speech; }
Gamepads* Pads() { return g_platform.pads; }

void NoteState(const char* place, int number, const char* detail) {
    static const char* const path = std::getenv("TAMBLOR_STATE_FILE");
    if (path == nullptr || *path == 0) return;
    // Written whole and renamed, so a reader never sees half a line.
    const std::string temp = std::string(path) + ".tmp";
    FILE* f = std::fopen(temp.c_str(), "w");
    if (f == nullptr) return;
    if (number >= 0) std::fprintf(f, "%s %d\n", place, number);
    else std::fprintf(f, "%s\n", place);
    if (detail != nullptr) std::fprintf(f, "%s\n", detail);
    if (std::fclose(f) == 0) std::rename(temp.c_str(), path);
}

}  // namespace tamblor
