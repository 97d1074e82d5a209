// Start-up, the hand-over to the main menu, and the two ways the program ends.
#pragma once

#include <string>

#include "core/app.h"

namespace tamblor {

// "Tamblor v1.0.0"
std::string WindowCaption();

// The entry procedure: single instance, caption, window, InitGame, then the
// main menu. Returns only by ProcessExit, which main() catches.
void RunGame();

void InitGame();

// Saves the settings, stops the menu music, says goodbye and ends the process.
[[noreturn]] void ExitGame();

}  // namespace tamblor
