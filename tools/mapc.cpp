// mapc: compiles a readable table map source into the game's map format.
//   mapc SOURCE OUT.map [--png OUT.png]
// Exit status 0 when the map was written, 1 for a bad source or an output
// that cannot be written, 2 for bad arguments.
#include <iostream>
#include <string>
#include <vector>

#include "tools/maptools/compile.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::vector<std::string> positional;
    std::string png;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--png" && i + 1 < args.size() && png.empty()) {
            png = args[++i];
        } else if (!args[i].empty() && args[i][0] == '-') {
            positional.clear();
            break;
        } else {
            positional.push_back(args[i]);
        }
    }
    if (positional.size() != 2) {
        std::cerr << "usage: mapc SOURCE OUT.map [--png OUT.png]\n";
        return 2;
    }
    return tamblor::maptools::CompileMapFile(positional[0], positional[1], png, std::cerr);
}
