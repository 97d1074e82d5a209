#include <iterator>

#include "audio/sound.h"
#include "core/app.h"
#include "core/keyboard.h"
#include "core/settings.h"
#include "menus/main_menu.h"
#include "menus/submenus.h"
#include "platform/platform.h"

namespace tamblor {

bool SubMenuActive = false;

namespace {
// Leaving the menu stays the last entry, whatever options come before it.
const char* const kOptionNames[] = {"sounds/menu/mnuTestS.wav", "sounds/menu/mnuGMode.wav",
                                    "sounds/menu/mnuGSped.wav", "sounds/menu/mnuMInst.wav",
                                    "sounds/menu/mnuEOM.wav"};
constexpr int kOptionCount = int(std::size(kOptionNames));

const char* SpeedName() {
    return GameSpeed == 0 ? "sounds/menu/mnuNorml.wav"
           : GameSpeed == 2 ? "sounds/menu/mnuRelax.wav"
                            : "sounds/menu/mnuInsan.wav";
}
}

void SpeakOptionsMenu(int entry) {
    MusicDip dip;
    sndBumper1.Play(false);
    PlayAndWait(kOptionNames[entry]);
}

void OptionsMenu() {
    SubMenuActive = true;
    int entry = 0;
    int32_t noted = sndMenuMusic.Volume();
    {
        MusicDip dip;
        PlayAndWait("sounds/menu/mnuOMI.wav");
    }
    NoteState("options", entry);
    do {
        PollKeyboard();
        YieldToSystem();
        MoveWithArrows(entry, kOptionCount, SpeakOptionsMenu);
        if (CommandPress(scan::Return)) {
            sndMenuMusic.SetVolume(-1000);
            switch (entry) {
            case 0:
                PlayStereo("sounds/TestSpkr.wav", true);
                break;
            case 1:
                GameMode = GameMode == 1 ? 0 : 1;
                SaveSettings();
                PlaySound(GameMode == 0 ? "sounds/menu/mnuAccs.wav" : "sounds/menu/mnuClass.wav", 0, true);
                break;
            case 2:
                // Normal, insane, relaxed, and round again.
                GameSpeed = GameSpeed == 0 ? 1 : GameSpeed == 1 ? 2 : 0;
                SaveSettings();
                SetSpeedFactor();
                PlaySound(SpeedName(), 0, true);
                break;
            case 3:
                MenuInstructions = MenuInstructions == 0 ? 1 : 0;
                SaveSettings();
                PlaySound(MenuInstructions == 0 ? "sounds/menu/mnuAlwys.wav" : "sounds/menu/mnuFirst.wav", 0, true);
                break;
            default:
                SubMenuActive = false;
                break;
            }
            sndMenuMusic.SetVolume(noted);
            NoteState("options", entry);
        }
        if (CommandPress(scan::Escape)) SubMenuActive = false;
        UpdateCommandKeysReleased();
    } while (SubMenuActive);
}

}  // namespace tamblor
