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
const char* const kOptionNames[4] = {"sounds/menu/mnuTestS.wav", "sounds/menu/mnuGMode.wav",
                                     "sounds/menu/mnuGSped.wav", "sounds/menu/mnuEOM.wav"};
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
        MoveWithArrows(entry, 4, SpeakOptionsMenu);
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
                GameSpeed = GameSpeed == 1 ? 0 : 1;
                SaveSettings();
                SetSpeedFactor();
                PlaySound(GameSpeed == 0 ? "sounds/menu/mnuNorml.wav" : "sounds/menu/mnuInsan.wav", 0, true);
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
