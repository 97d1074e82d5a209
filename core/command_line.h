// The program's two options: --version and --help print and end without
// opening a window; with no arguments the game starts.
#pragma once

#include <string>
#include <vector>

namespace tamblor {

struct CommandLineAction {
    bool runGame = true;
    int status = 0;     // the exit status when the game is not run
    std::string out;    // text for standard output
    std::string error;  // text for standard error
};

// "Tamblor 1.0.0": the version the main menu speaks on V.
std::string VersionText();

// The help text; names the folders the data is looked for in.
std::string HelpText(const std::string& programFolder);

CommandLineAction ReadCommandLine(const std::vector<std::string>& arguments, const std::string& programFolder);

}  // namespace tamblor
