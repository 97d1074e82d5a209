#include "core/command_line.h"

#include "core/data_paths.h"
#include "core/startup.h"

namespace tamblor {

std::string VersionText() {
    return "Tamblor " + std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) + "." +
           std::to_string(kVersionRevision);
}

std::string HelpText(const std::string& programFolder) {
    std::string text =
        "Usage: tamblor [--help | --version]\n"
        "\n"
        "Tamblor is a pinball game played entirely by ear. The ball is a rolling sound\n"
        "panned across the speakers, every menu entry and message is a spoken voice,\n"
        "and the keyboard is the only input. Started without arguments, it opens its\n"
        "window and speaks its main menu.\n"
        "\n"
        "  --help     print this help and exit\n"
        "  --version  print the version and exit\n"
        "\n"
        "Keys: Up and Down move through a menu, Enter chooses, Escape leaves (at the\n"
        "main menu it quits), V in the main menu says the version. On a table: Space\n"
        "launches the ball, Left and Right Shift work the flippers, S says the score,\n"
        "P pauses and Escape ends the game. Everywhere, R says the last message again\n"
        "and Control silences the voice. The help menu describes each table; the\n"
        "options menu sets the volumes, the pan and the speech rate.\n"
        "\n"
        "The sound archive " +
        std::string(kArchiveName) + " and its voice folders are looked for in\n";
    for (const std::string& folder : DataFolderCandidates(programFolder)) text += "  " + folder + "\n";
    text +=
        "Options and best scores are kept in $XDG_CONFIG_HOME/tamblor (~/.config/tamblor).\n";
    return text;
}

CommandLineAction ReadCommandLine(const std::vector<std::string>& arguments, const std::string& programFolder) {
    CommandLineAction action;
    if (arguments.empty()) return action;
    action.runGame = false;
    const std::string& first = arguments[0];
    if (arguments.size() == 1 && first == "--version") {
        action.out = VersionText() + "\n";
    } else if (arguments.size() == 1 && (first == "--help" || first == "-h")) {
        action.out = HelpText(programFolder);
    } else {
        // The game takes nothing else; a stray argument is a typing slip worth telling.
        action.status = 2;
        std::string unknown = first == "--version" || first == "--help" || first == "-h" ? arguments[1] : first;
        action.error = "tamblor: unexpected argument '" + unknown + "'\nTry 'tamblor --help'.\n";
    }
    return action;
}

}  // namespace tamblor
