// What start-up checks and tells before the menus take over, so that a
// damaged installation, a second copy or unreadable settings are heard
// rather than met with silence.
#pragma once

#include <string>

namespace tamblor {

// The members without which the game cannot be played by ear: the shared
// sounds, the error sound and the main menu's voices.
extern const char* const kRequiredMembers[];
extern const int kRequiredMemberCount;

// The archive must be open already. When its directory is not whole or a
// required member is missing, says so (stderr, the report file, a loose
// voice and a message box) and ends the program with status 1.
void CheckGameFiles(const std::string& archiveName);

// Tells the player what went wrong reading the settings (the store's
// TakeReadProblem after they were loaded); nothing when `problem` is "".
void TellSettingsProblems(const std::string& problem);

// For a second copy of the game: the first one's window was raised; says on
// stderr and by voice that the game is already running. Touches no setting.
void SayAlreadyRunning();

}  // namespace tamblor
