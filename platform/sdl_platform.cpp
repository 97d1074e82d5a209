#include "platform/sdl_platform.h"

#include "platform/end_signals.h"
#include "platform/ini_store.h"
#include "platform/sdl_parts.h"
#include "platform/speechd_service.h"

namespace tamblor {

struct SdlPlatform::Parts {
    SdlWindowSystem windowSystem;
    SdlMixer mixer;
    IniSettingsStore settings{IniSettingsStore::DefaultFolder()};
    PosixPaths paths;
    PcgRandom random;
    SpeechdService speech;  // connects only when the player asks for system speech
};

SdlPlatform::SdlPlatform() {
    SDL_SetHint(SDL_HINT_APP_NAME, "Tamblor");
    // Ours end the game in order, also while a message box is up.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_Init(0);
    CatchEndSignals();
    parts_ = std::make_unique<Parts>();
}

SdlPlatform::~SdlPlatform() {
    parts_.reset();
    SDL_Quit();
}

Platform SdlPlatform::Services() {
    Platform p;
    p.clock = &parts_->windowSystem;
    p.keyboard = &parts_->windowSystem;
    p.window = &parts_->windowSystem;
    p.mixer = &parts_->mixer;
    p.settings = &parts_->settings;
    p.paths = &parts_->paths;
    p.random = &parts_->random;
    p.speech = &parts_->speech;
    p.pads = &parts_->windowSystem;
    return p;
}

}  // namespace tamblor
