#include "menus/main_menu.h"

#include "core/errors.h"
#include "core/keyboard.h"
#include "core/startup.h"
#include "platform/platform.h"

namespace tamblor {

namespace {
// One visit of the menu, from its start until a table or a submenu hands
// control back with ReturnToMainMenu.
void RunMainMenuOnce() {
    for (;;) {
        PollKeyboard();
        YieldToSystem();
        if (KeyDown(scan::Escape) && CommandKeysReleased) ExitGame();
        UpdateCommandKeysReleased();
    }
}
}  // namespace

void MainMenu() {
    for (;;) {
        try {
            RunMainMenuOnce();
        } catch (const ReturnToMainMenu&) {
            // A finished game or a quit: the menu starts afresh.
        }
    }
}

}  // namespace tamblor
