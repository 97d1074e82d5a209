// Start-up, the hand-over to the main menu, and the two ways the program ends.
#pragma once

#include <string>

#include "core/app.h"

namespace tamblor {

// "Tamblor v1.0.0"
std::string WindowCaption();

// The entry procedure: single instance, InitGame, then the main menu.
// Returns only by ProcessExit, which main() catches.
void RunGame();

// Data, sound device, settings and the shared sounds, then the jingles;
// the window comes up and the settings are saved while the first one plays.
void InitGame();

// Sets the caption and shows the window, once a run.
void ShowGameWindow();

// Saves the settings, stops the menu music, says goodbye and ends the process.
[[noreturn]] void ExitGame();

}  // namespace tamblor
