// What the program knows of each of its six tables apart from how they
// play: the names the settings store uses, the voices the menus speak for
// them and their help texts. The menus, the score readout and the settings
// read them here; a table's play code adds its own description on top.
#pragma once

namespace tamblor {

// Table numbers, as the main menu, the help menu and the score readout order them.
enum TableId : int { kPacMan = 0, kSoccerStar, kHeist, kSafari, kHauntedHouse, kWildWest, kTableCount };

struct TableFacts {
    TableId id;
    const char* keyName;      // "PacMan": the settings keys are "HS" and "MV" + it
    const char* menuName;     // the main menu's entry, also said before the best score
    const char* helpName;     // the help menu's entry
    const char* description;  // the help text Enter plays in the help menu
};

// Facts of table 0..5 (a number out of range gives table 0's: check with
// IsTable where the number comes from outside).
const TableFacts& FactsOfTable(int table);
constexpr bool IsTable(int table) { return table >= 0 && table < kTableCount; }

}  // namespace tamblor
