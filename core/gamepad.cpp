#include "core/gamepad.h"

#include "audio/sound.h"
#include "core/settings.h"

namespace tamblor {

namespace {
struct Pulse {
    uint16_t low, high;  // the heavy and the light motor
    uint32_t ms;
};
constexpr Pulse kPulses[] = {
    {0x0000, 0x6000, 60},   // bumper: a light tap
    {0xA000, 0xA000, 120},  // flipper hit or launch: a knock
    {0xFFFF, 0x8000, 700},  // lost ball: a long shudder
};

bool g_running = false;
Buzz g_last = Buzz::Bumper;
uint32_t g_lastTick = 0;
}  // namespace

void PadConfirmKey(uint8_t scanCode) {
    if (Gamepads* pads = Pads()) pads->SetConfirmKey(scanCode);
}

void SayPadNews(PadNews news) {
    if (news == PadNews::None) return;
    PlaySound(news == PadNews::Connected ? "sounds/PadOn.wav" : "sounds/PadOff.wav", 0, true);
}

void HearPadNews() {
    Gamepads* pads = Pads();
    if (pads == nullptr) return;
    for (PadNews news = pads->TakeNews(); news != PadNews::None; news = pads->TakeNews()) SayPadNews(news);
}

void Feel(Buzz buzz) {
    Gamepads* pads = Pads();
    if (RumbleOn == 0 || pads == nullptr || !pads->CanRumble()) return;
    const uint32_t now = GetTick();
    if (g_running && buzz <= g_last && now - g_lastTick < kPulses[int(g_last)].ms) return;
    const Pulse& pulse = kPulses[int(buzz)];
    pads->Rumble(pulse.low, pulse.high, pulse.ms);
    g_running = true;
    g_last = buzz;
    g_lastTick = now;
}

void ResetRumble() { g_running = false; }

}  // namespace tamblor
