#include "audio/sound.h"
#include "core/keyboard.h"
#include "menus/main_menu.h"
#include "menus/submenus.h"
#include "platform/platform.h"
#include "table/services.h"

namespace tamblor {

namespace {
const char* const kDescriptions[6] = {"pacman/v_SDPM.wav", "soccer/v_SDSS.wav",  "Heist/v_SDH.wav",
                                      "Safari/v_SDS.wav",  "Haunted/v_SDHH.wav", "WildWest/v_SDWW.wav"};
}

void HelpMenu() {
    SubMenuActive = true;
    int entry = 0;
    {
        MusicDip dip;
        PlayAndWait("sounds/menu/mnuHMI.wav");
        // The entry names are stereo recordings (the click-and-name path plays
        // them so); a mono player would say this one at half speed.
        PlayStereo("sounds/menu/mnuPMSD.wav", true);
    }
    do {
        PollKeyboard();
        YieldToSystem();
        MoveWithArrows(entry, 7, SpeakTableDescription);
        if (KeyDown(scan::Return) && CommandKeysReleased) {
            if (entry == 6) {
                SubMenuActive = false;
            } else {
                // The description is heard alone; the music then comes back full.
                sndMenuMusic.SetVolume(kVolumeMin);
                PlayAndWait(kDescriptions[entry]);
                sndMenuMusic.SetVolume(0);
            }
        }
        if (KeyDown(scan::Escape) && CommandKeysReleased) SubMenuActive = false;
        UpdateCommandKeysReleased();
    } while (SubMenuActive);
}

}  // namespace tamblor
