// Start-up, the hand-over to the main menu, and the two ways the program ends.
#pragma once

#include <string>

namespace tamblor {

extern std::string AppPath;     // folder of the program; the archive and loose voices are here
extern std::string DataFolder;  // per-user folder that receives extracted map files
extern float SpeedFactor;       // 3.0 at normal game speed, 3.5 at insane speed

constexpr int kVersionMajor = TAMBLOR_VERSION_MAJOR;
constexpr int kVersionMinor = TAMBLOR_VERSION_MINOR;
constexpr int kVersionRevision = TAMBLOR_VERSION_PATCH;

// "Tamblor v1.0.0"
std::string WindowCaption();

// The entry procedure: single instance, caption, window, InitGame, then the
// main menu. Returns only by ProcessExit, which main() catches.
void RunGame();

void InitGame();
void CreateDataFolder();
void SetSpeedFactor();

// Saves the settings, stops the menu music, says goodbye and ends the process.
[[noreturn]] void ExitGame();

// Ends the process at once (no saving): throws ProcessExit.
[[noreturn]] void EndProgram(int status = 0);

}  // namespace tamblor
