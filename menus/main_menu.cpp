#include "menus/main_menu.h"

#include <string>
#include <utility>

#include "audio/sound.h"
#include "audio/speech_keys.h"
#include "core/errors.h"
#include "core/gamepad.h"
#include "core/keyboard.h"
#include "core/screen.h"
#include "core/settings.h"
#include "core/startup.h"
#include "menus/submenus.h"
#include "platform/platform.h"
#include "table/services.h"
#include "table/table.h"
#include "tables/tables.h"

namespace tamblor {

namespace {
constexpr int kEntryCount = 10;
// After the six tables.
const char* const kOtherEntryNames[kEntryCount - kTableCount] = {"sounds/menu/mnuHighS.wav", "sounds/menu/mnuHMenu.wav",
                                                                 "sounds/menu/mnuOMenu.wav", "sounds/menu/mnuExitP.wav"};

const char* EntryName(int entry) {
    return IsTable(entry) ? FactsOfTable(entry).menuName : kOtherEntryNames[entry - kTableCount];
}

// Where the next fresh menu starts: 0 but after a practice.
int g_nextEntry = 0;
}  // namespace

// Plays a table from its loader to its game end.
void PlayTable(int entry, bool practice) {
    const TableDesc* table = TableFor(entry);
    if (table == nullptr) {
        MusicDip dip;
        PlayAndWait("sounds/menu/mnuUnava.wav");
        return;
    }
    sndMenuMusic.Stop();
    if (practice) g_nextEntry = entry;
    try {
        RunTable(*table, practice);
    } catch (const ReturnToMainMenu&) {
        // A quit at a launch prompt abandons the table: its music and
        // loops must not play on into the menu.
        UnloadTable(*table);
        throw;
    }
}

bool InstructionsHeardThisRun = false;

namespace {
void ShowMainMenu(int entry) {
    const char* names[kEntryCount];
    for (int i = 0; i < kEntryCount; ++i) names[i] = EntryName(i);
    ScreenMenu("Main menu", names, kEntryCount);
    ScreenEntry(entry);
}

// One visit of the menu, from its instructions until the options menu
// ends (the caller then starts a fresh visit). Tables leave by throwing.
void RunMainMenu() {
    int entry = std::exchange(g_nextEntry, 0);
    ShowMainMenu(entry);
    sndMenuMusic.Play(true);
    {
        MusicDip dip;
        // Once a run is enough for a player who asked for it: after that a
        // fresh menu only names where it stands.
        if (MenuInstructions == 1 && InstructionsHeardThisRun) {
            PlayAndWait(EntryName(entry));
        } else {
            PlayAndWait("sounds/menu/mnuInstr.wav");
            // Back from a practice: where the menu stands now.
            if (entry != 0) PlayAndWait(EntryName(entry));
        }
        InstructionsHeardThisRun = true;
    }
    NoteState("menu", entry);
    for (;;) {
        PollKeyboard();
        YieldIdle();
        MoveWithArrows(entry, kEntryCount, SpeakMainMenu);
        if (TakeLatchedPress(scan::Return)) {
            if (entry <= 5) {
                PlayTable(entry, false);
            } else if (entry == 6) {
                ScoreMenu();
                ShowMainMenu(entry);
                SpeakMainMenu(6);
                NoteState("menu", entry);
            } else if (entry == 7) {
                HelpMenu();
                ShowMainMenu(entry);
                SpeakMainMenu(7);
                NoteState("menu", entry);
            } else if (entry == 8) {
                OptionsMenu();
                return;
            } else {
                ExitGame();
            }
        }
        if (CommandPress(scan::Escape)) ExitGame();
        if (CommandPress(scan::V)) SpeakVersion();
        if (TakeLatchedPress(scan::T)) {
            if (!IsTable(entry)) {
                MusicDip dip;
                PlayAndWait("sounds/menu/mnuTKey.wav");
            } else if (TourMenu(entry)) {
                PlayTable(entry, true);
            } else {
                ShowMainMenu(entry);
                SpeakMainMenu(entry);
                NoteState("menu", entry);
            }
        }
        MenuSpeechKeys();
        HearPadNews();
        UpdateCommandKeysReleased();
    }
}
}  // namespace

MusicDip::MusicDip() : MusicDip(DuckedMusicVolume()) {}
MusicDip::MusicDip(int32_t to) : restore_(sndMenuMusic.Volume()) { sndMenuMusic.SetVolume(to); }
MusicDip::~MusicDip() {
    // Also runs while the program is ending; a failure then must not escape.
    try {
        sndMenuMusic.SetVolume(restore_);
    } catch (const RuntimeError&) {
    }
}

void MoveWithArrows(int& entry, int count, void (*speak)(int)) {
    if (KeyDown(scan::Up)) {
        entry = entry == 0 ? count - 1 : entry - 1;
        ScreenEntry(entry);
        speak(entry);
        NoteState("entry", entry);
    }
    if (KeyDown(scan::Down)) {
        entry = entry == count - 1 ? 0 : entry + 1;
        ScreenEntry(entry);
        speak(entry);
        NoteState("entry", entry);
    }
}

void MenuSpeechKeys() {
    if (!KeyDown(scan::R) || KeyState.Latched[scan::R]) {
        SpeechKeys();
        return;
    }
    MusicDip dip;
    SpeechKeys();
}

void SpeakMainMenu(int entry) {
    MusicDip dip;
    sndBumper1.SetPan(0);
    sndBumper1.Play(false);
    PlayAndWait(EntryName(entry));
}

void SpeakVersion() {
    MusicDip dip;
    dip.RestoreToFull();
    const std::string folder = "system\\initials\\";
    PlaySoundNP(folder + std::to_string(kVersionMajor) + ".wav", 0, true);
    PlaySoundNP(folder + "point.wav", 0, true);
    PlaySoundNP(folder + std::to_string(kVersionMinor) + ".wav", 0, true);
    PlaySoundNP(folder + "point.wav", 0, true);
    PlaySoundNP(folder + std::to_string(kVersionRevision) + ".wav", 0, true);
}

void MainMenu() {
    for (;;) {
        try {
            RunMainMenu();
        } catch (const ReturnToMainMenu&) {
            // A finished game or a quit at the launch prompt: start afresh.
        }
    }
}

}  // namespace tamblor
