// What every layer may need to know of the running program: where it lives,
// where it keeps its per-user files, its version and the base ball speed.
#pragma once

#include <string>

namespace tamblor {

extern std::string AppPath;     // where the archive and loose voices were found: the program's folder, else the installed data folder
extern std::string DataFolder;  // per-user folder that receives extracted map files
extern float SpeedFactor;       // 3.0 at normal game speed, 3.5 at insane speed

constexpr int kVersionMajor = TAMBLOR_VERSION_MAJOR;
constexpr int kVersionMinor = TAMBLOR_VERSION_MINOR;
constexpr int kVersionRevision = TAMBLOR_VERSION_PATCH;

// Makes the per-user data folder and sets DataFolder to it.
void CreateDataFolder();
// SpeedFactor from the stored game speed.
void SetSpeedFactor();

// Ends the process at once (no saving): throws ProcessExit.
[[noreturn]] void EndProgram(int status = 0);

}  // namespace tamblor
