// What every table shares: the launch prompt, the pause, the end-of-game
// prompt and the spoken table descriptions.
#pragma once

#include <cstdint>

namespace tamblor {

extern uint32_t LastTauntTime;

// Asks for a launch and returns with the rolling-ball loop playing. Escape
// leaves the table for a fresh main menu (throws ReturnToMainMenu).
void LaunchBall();

// Returns when the player presses any key.
void PauseGame();

// "Press any key to continue", then waits for a key.
void PressAnyKey();

// The help text of table 0..5, or 6 for leaving the help menu, with the
// menu music dipped beneath it and restored to its exact volume.
void SpeakTableDescription(int index);
// The help menu's last entry, after the tables.
constexpr const char* kLeaveHelpName = "sounds/menu/mnuEHM.wav";

}  // namespace tamblor
