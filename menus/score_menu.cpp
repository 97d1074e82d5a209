#include "audio/sound.h"
#include "audio/speech.h"
#include "core/errors.h"
#include "core/gamepad.h"
#include "core/keyboard.h"
#include "core/screen.h"
#include "core/settings.h"
#include "menus/main_menu.h"
#include "menus/submenus.h"
#include "platform/platform.h"

namespace tamblor {

namespace {
const char* const kScoreEntries[6] = {"system/hss/hs_yhs.wav", "system/hss/hd_hsb.wav",  "system/hss/submiths.wav",
                                      "system/hss/hs_reset.wav", "system/hss/hsmsg.wav", "system/hss/exit.wav"};

void ScoreMenuLoop() {
    bool stay = true;
    int entry = 0;
    auto prompt = [&] {
        entry = 0;
        ScreenMenu("High scores", kScoreEntries, 6);
        MusicDip dip;
        Announcement("system/hss/scoresel.wav");
    };
    prompt();
    while (stay) {
        PollKeyboard();
        YieldIdle();
        bool moved = false;
        if (TakeLatchedPress(scan::Up)) {
            entry = entry == 0 ? 5 : entry - 1;
            moved = true;
        }
        if (TakeLatchedPress(scan::Down)) {
            entry = entry == 5 ? 0 : entry + 1;
            moved = true;
        }
        if (moved) {
            ScreenEntry(entry);
            SpeakScoreMenu(entry);
        }
        if (TakeLatchedPress(scan::Return)) {
            switch (entry) {
            case 0:
                SpeakHighScores();
                prompt();  // the menu starts over; one leave ends it all
                break;
            case 3:
                EraseHighScores();
                break;
            case 5:
                stay = false;
                break;
            default: {
                MusicDip dip;
                dip.RestoreToFull();
                PlayAndWait("sounds/menu/mnuUnava.wav");
                break;
            }
            }
        }
        if (TakeLatchedPress(scan::Escape)) stay = false;
        MenuSpeechKeys();
        HearPadNews();
    }
}
}  // namespace

void SpeakScoreMenu(int entry) {
    try {
        MusicDip dip;
        sndBumper1.Play(false);
        Announcement(kScoreEntries[entry]);
    } catch (const RuntimeError& e) {
        ReportError("SpeakScoreMenu", e);
    }
}

void ScoreMenu() {
    try {
        ScoreMenuLoop();
    } catch (const RuntimeError& e) {
        ReportError("ScoreMenu", e);
    }
}

void SpeakHighScores() {
    MusicDip dip;
    LoadSettings();  // the readout comes from the store, not from memory
    for (int table = 0; table < kTableCount; ++table) {
        PlayAndWait(FactsOfTable(table).menuName);
        SpeakNumber(BestScore[table]);
    }
}

void EraseHighScores() {
    MusicDip dip;
    for (double& score : BestScore) score = 0;
    SaveSettings();
    PlaySound("sounds/HSReset.wav", 0, true);
}

}  // namespace tamblor
