// Where the game's data (the archive "tamblor.tmb" and the loose voice
// folders under "system/") is found: beside the program first, as in a build
// folder or an unpacked game, then in the folder an installation puts it in.
#pragma once

#include <string>
#include <vector>

namespace tamblor {

extern const char* const kArchiveName;  // "tamblor.tmb"

// The installed data folder as seen from the program's folder, for example
// "/usr/bin" -> "/usr/share/tamblor". Follows the program when an installed
// tree is moved, so a staged installation finds its own data.
std::string InstalledDataFolder(const std::string& programFolder);

// The folders searched, in order: the program's own, then the installed one.
std::vector<std::string> DataFolderCandidates(const std::string& programFolder);

// The first candidate that holds the archive, or "" when none does.
std::string FindGameData(const std::string& programFolder);

// The message for a player whose game has no archive in either place.
std::string MissingGameDataMessage(const std::string& programFolder);

}  // namespace tamblor
