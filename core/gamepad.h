// The game's side of the controllers: what A means where the player is,
// the spoken plug and unplug, and the rumble that doubles what is heard.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace tamblor {

// A presses Return in the menus and Space at a table (where Return tilts).
void PadConfirmKey(uint8_t scanCode);

// "Controller connected" or "disconnected", said and waited for.
void SayPadNews(PadNews news);
// Says every plug and unplug not told yet (in the menus, at the prompt).
void HearPadNews();

// What the player feels, strongest last.
enum class Buzz : uint8_t { Bumper, Hit, LostBall };
// A pulse when the option is on and a pad has motors. A pulse lighter than
// or as strong as one still running is dropped, so the pads never pulse
// faster than the game's own hits, however fast those come.
void Feel(Buzz buzz);
// Forgets the pulse running (a fresh start, for tests).
void ResetRumble();

}  // namespace tamblor
