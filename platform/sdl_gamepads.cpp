// Game controllers through SDL's game-controller layer: opened as they are
// plugged in, their buttons held as keys, their motors pulsed at the yield.
#include <cstdio>
#include <iterator>

#include "platform/sdl_parts.h"

namespace tamblor {

void SdlWindowSystem::OpenPads() {
    if (padsUp_) return;
    padsUp_ = true;
    // Left to itself SDL reads the controllers every millisecond, waking an
    // idle game a thousand times a second; the yield reads them instead.
    SDL_SetHint(SDL_HINT_AUTO_UPDATE_JOYSTICKS, "0");
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
        // Played with the keyboard then, as always.
        std::fprintf(stderr, "Tamblor: no game controllers (%s).\n", SDL_GetError());
        return;
    }
    padsReady_ = true;
    // Pads already plugged in arrive as device-added events, like later ones.
    StartTestPad();
}

void SdlWindowSystem::UpdatePads() {
    // Once a pass, so at least once a clock step: a button is seen within
    // the step, as a console game reads its pads once a frame. Looking more
    // often would cost a wake-up each time, as SDL's own reading did.
    if (padsReady_) SDL_GameControllerUpdate();
}

int SdlWindowSystem::PadSlot(SDL_JoystickID id) const {
    for (int slot = 0; slot < kMostPads; ++slot)
        if (pads_[slot] != nullptr && padIds_[slot] == id) return slot;
    return -1;
}

void SdlWindowSystem::Tell(PadNews news) {
    if (newsCount_ == int(std::size(news_))) {
        // Someone is plugging and unplugging in a hurry: the latest matters.
        for (int i = 1; i < newsCount_; ++i) news_[i - 1] = news_[i];
        --newsCount_;
    }
    news_[newsCount_++] = news;
}

PadNews SdlWindowSystem::TakeNews() {
    if (newsCount_ == 0) return PadNews::None;
    const PadNews first = news_[0];
    for (int i = 1; i < newsCount_; ++i) news_[i - 1] = news_[i];
    --newsCount_;
    return first;
}

void SdlWindowSystem::HandlePad(const SDL_Event& event) {
    switch (event.type) {
    case SDL_CONTROLLERDEVICEADDED: {
        const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(event.cdevice.which);
        if (PadSlot(id) >= 0) break;
        for (int slot = 0; slot < kMostPads; ++slot) {
            if (pads_[slot] != nullptr) continue;
            pads_[slot] = SDL_GameControllerOpen(event.cdevice.which);
            if (pads_[slot] == nullptr) break;
            padIds_[slot] = id;
            Tell(PadNews::Connected);
            break;
        }
        break;
    }
    case SDL_CONTROLLERDEVICEREMOVED: {
        const int slot = PadSlot(event.cdevice.which);
        if (slot < 0) break;
        SDL_GameControllerClose(pads_[slot]);
        pads_[slot] = nullptr;
        // Whatever it held goes up now, or a flipper would stay raised.
        if (padKeys_.ReleasePad(slot)) ++keyChanges_;
        Tell(PadNews::Disconnected);
        break;
    }
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP: {
        const int slot = PadSlot(event.cbutton.which);
        if (slot < 0 || event.cbutton.button > SDL_CONTROLLER_BUTTON_DPAD_RIGHT) break;
        if (padKeys_.Set(slot, PadButton(event.cbutton.button), event.type == SDL_CONTROLLERBUTTONDOWN))
            ++keyChanges_;
        break;
    }
    case SDL_CONTROLLERAXISMOTION: {
        const int slot = PadSlot(event.caxis.which);
        PadAxis axis;
        switch (event.caxis.axis) {
        case SDL_CONTROLLER_AXIS_LEFTX: axis = PadAxis::LeftX; break;
        case SDL_CONTROLLER_AXIS_LEFTY: axis = PadAxis::LeftY; break;
        case SDL_CONTROLLER_AXIS_TRIGGERLEFT: axis = PadAxis::LeftTrigger; break;
        case SDL_CONTROLLER_AXIS_TRIGGERRIGHT: axis = PadAxis::RightTrigger; break;
        default: return;
        }
        if (slot >= 0 && padKeys_.Axis(slot, axis, event.caxis.value)) ++keyChanges_;
        break;
    }
    default:
        break;
    }
}

bool SdlWindowSystem::CanRumble() {
    for (SDL_GameController* pad : pads_)
        if (pad != nullptr && SDL_GameControllerHasRumble(pad)) return true;
    return false;
}

void SdlWindowSystem::Rumble(uint16_t low, uint16_t high, uint32_t ms) {
    pulse_ = Pulse{low, high, ms, true};
}

void SdlWindowSystem::StartRumble() {
    if (!pulse_.due) return;
    pulse_.due = false;
    for (SDL_GameController* pad : pads_)
        if (pad != nullptr) SDL_GameControllerRumble(pad, pulse_.low, pulse_.high, pulse_.ms);
}

}  // namespace tamblor
