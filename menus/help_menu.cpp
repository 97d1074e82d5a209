#include "audio/sound.h"
#include "core/gamepad.h"
#include "core/keyboard.h"
#include "core/screen.h"
#include "core/table_registry.h"
#include "menus/main_menu.h"
#include "menus/submenus.h"
#include "platform/platform.h"
#include "table/services.h"

namespace tamblor {

void HelpMenu() {
    SubMenuActive = true;
    int entry = 0;
    const char* names[kTableCount + 1];
    for (int i = 0; i < kTableCount; ++i) names[i] = FactsOfTable(i).helpName;
    names[kTableCount] = kLeaveHelpName;
    ScreenMenu("Help", names, kTableCount + 1);
    {
        MusicDip dip;
        PlayAndWait("sounds/menu/mnuHMI.wav");
        // The entry names are stereo recordings (the click-and-name path plays
        // them so); a mono player would say this one at half speed.
        PlayStereo(FactsOfTable(0).helpName, true);
    }
    NoteState("help", entry);
    do {
        PollKeyboard();
        YieldIdle();
        MoveWithArrows(entry, kTableCount + 1, SpeakTableDescription);
        if (CommandPress(scan::Return)) {
            if (!IsTable(entry)) {
                SubMenuActive = false;
            } else {
                // The description is heard alone; the music then comes back full.
                sndMenuMusic.SetVolume(kVolumeMin);
                PlayAndWait(FactsOfTable(entry).description);
                sndMenuMusic.SetVolume(0);
            }
        }
        if (IsTable(entry) && TakeLatchedPress(scan::T)) {
            if (TourMenu(entry)) {
                SubMenuActive = false;
                PlayTable(entry, true);
            }
            // Back where the tour was asked for.
            ScreenMenu("Help", names, kTableCount + 1);
            ScreenEntry(entry);
            SpeakTableDescription(entry);
            NoteState("help", entry);
        }
        if (CommandPress(scan::Escape)) SubMenuActive = false;
        MenuSpeechKeys();
        HearPadNews();
        UpdateCommandKeysReleased();
    } while (SubMenuActive);
}

}  // namespace tamblor
