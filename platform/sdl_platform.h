// The real platform: SDL2 for the window, keyboard, clipboard, message boxes
// and audio device; POSIX for the rest. main() builds one SdlPlatform and
// installs its Services(). This header does not include SDL.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/platform.h"

namespace tamblor {

// SDL-free services (posix_*.cpp, in the plain platform library).

class PosixPaths final : public Paths {
public:
    std::string AppFolder() override;       // folder of /proc/self/exe
    std::string UserDataFolder() override;  // $XDG_DATA_HOME, or ~/.local/share
};

class PcgRandom final : public Random {
public:
    explicit PcgRandom(uint64_t seed = 0x853C49E6748FEA9BULL);
    float Next() override;
    void Reseed() override;  // from the clock
    void Seed(uint64_t seed);
    uint32_t Next32();

private:
    static constexpr uint64_t kIncrement = 1442695040888963407ULL;
    uint64_t state_ = 0;
};

// The message boxes run in a child copy of the program, so that the game
// itself keeps listening (to a close request, a signal, or a key on its
// own window) while one is up. main() hands over to this when it is that
// child.
bool IsMessageBoxHelper();
int RunMessageBoxHelper();

class SdlPlatform {
public:
    SdlPlatform();
    ~SdlPlatform();
    SdlPlatform(const SdlPlatform&) = delete;
    SdlPlatform& operator=(const SdlPlatform&) = delete;

    // Valid for the life of this object.
    Platform Services();

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

}  // namespace tamblor
