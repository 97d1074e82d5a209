#include "tables/tables.h"

#include "tables/pacman/pacman.h"

namespace tamblor {

namespace {
const TableStart kPacManStart{LoadPacMan, "pacman/strtmuse.wav", PlayPacMan, pacman::UnloadPacMan};
}  // namespace

const TableStart* TableStarter(int entry) {
    // Tables register here as they are built; order as in the main menu.
    static const TableStart* const starters[6] = {&kPacManStart, nullptr, nullptr, nullptr, nullptr, nullptr};
    return (entry >= 0 && entry < 6) ? starters[entry] : nullptr;
}

}  // namespace tamblor
