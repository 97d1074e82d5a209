// The spoken main menu: the hub every game and submenu comes back to.
#pragma once

namespace tamblor {

// Runs the menu for the rest of the program; it ends only through ExitGame
// or a close request.
[[noreturn]] void MainMenu();

}  // namespace tamblor
