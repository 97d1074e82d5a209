// How the main menu starts each table: its loader (sounds and map), its
// intro voice, and its play routine (run after the first launch).
#pragma once

namespace tamblor {

struct TableStart {
    void (*load)();
    const char* intro;  // nullptr: the table has none
    void (*play)();     // ends the game by throwing ReturnToMainMenu
    void (*unload)();   // releases the table's sounds; safe to call twice
};

// The starter for main-menu entries 0..5, or nullptr for a table that is
// not playable yet.
const TableStart* TableStarter(int entry);

}  // namespace tamblor
