#include "core/startup.h"

#include <filesystem>

#include "audio/archive.h"
#include "audio/sound.h"
#include "audio/system_speech.h"
#include "audio/voice_text.h"
#include "core/data_paths.h"
#include "core/errors.h"
#include "core/keyboard.h"
#include "core/screen.h"
#include "core/settings.h"
#include "core/start_checks.h"
#include "menus/main_menu.h"
#include "platform/platform.h"

namespace tamblor {

std::string AppPath;
std::string DataFolder;
float SpeedFactor = 3.0f;

namespace {
std::string SoundDriverMessage() {
    return std::string("Sound driver error. Please update your sound card drivers and make sure you have at least "
                       "DirectX 7.0 installed. On Linux, check that your sound system (PipeWire, PulseAudio or "
                       "ALSA) is running, or write to ") + kSupportAddress + " for help.";
}

struct SharedSound {
    SoundSlot* slot;
    const char* member;
    bool stereo;
};

const SharedSound kSharedSounds[] = {
    {&sndBall, "sounds/ball.wav", false},        {&sndBumper1, "sounds/bumper1.wav", false},
    {&sndBumper2, "sounds/bumper2.wav", false},  {&sndMultiHit, "sounds/MultiHit.wav", false},
    {&sndWallHit, "sounds/WallHit.wav", false},  {&sndScanBeep, "sounds/ScanBeep.wav", false},
    {&sndScanTrig, "sounds/ScanTrig.wav", false}, {&sndFlipper, "sounds/Flipper.wav", false},
    {&sndMenuMusic, "sounds/menu/mnuMusic.wav", true}, {&sndBell, "sounds/Bell.wav", false},
    {&sndSpellSw, "sounds/SpellSw.wav", false},  {&sndScanWait, "sounds/ScanWait.wav", false},
    {&sndProxBeep, "sounds/ProxBeep.wav", false}, {&sndPausedLp, "sounds/PausedLp.wav", false},
};
}  // namespace

std::string WindowCaption() {
    return "Tamblor v" + std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) + "." +
           std::to_string(kVersionRevision);
}

void EndProgram(int status) { throw ProcessExit{status}; }

void CreateDataFolder() {
    DataFolder = UserDataRoot() + "/Tamblor";
    std::error_code ignored;
    std::filesystem::create_directories(DataFolder, ignored);
}

void SetSpeedFactor() {
    // Relaxed: a step every 30 ms, half the pace of normal on the 64 Hz tick.
    SpeedFactor = GameSpeed == 0 ? 3.0f : GameSpeed == 2 ? 2.0f : 3.5f;
}

namespace {
bool windowShown = false;
bool startUpFinished = false;

// What the logo jingle does not need, done while it plays: the window takes
// tens of milliseconds to come up, the save a disk write.
void FinishStartUp() {
    if (startUpFinished) return;
    startUpFinished = true;
    ShowGameWindow();
    SaveSettings();
}
}  // namespace

void ShowGameWindow() {
    if (windowShown) return;
    windowShown = true;
    MainWindow().SetCaption(WindowCaption());
    MainWindow().Show();
}

void InitGame() {
    startUpFinished = false;
    // The data beside the program wins, so a build folder plays its own data
    // even when another copy of the game is installed.
    AppPath = FindGameData(ProgramFolder());
    CreateDataFolder();
    if (AppPath.empty()) {
        // No archive, so no voice to say so with either: words only.
        ShowErrorReport(MissingGameDataMessage(ProgramFolder()), "");
        EndProgram(1);
    }
    OpenArchive(AppPath + "/" + kArchiveName);
    LoadVoiceTexts();
    CheckGameFiles(kArchiveName);
    if (!SoundMixer().OpenDevice()) {
        ShowErrorReport(SoundDriverMessage(), "");  // no device: nothing can be heard
        EndProgram(1);
    }
    ResetKeyboard();
    AcquireKeyboard();
    LoadSettings();
    ApplyHearingOptions();
    SetScreenMode(ScreenChoice);
    for (const SharedSound& s : kSharedSounds) {
        if (s.stereo) CreateStereoSoundBuffer(*s.slot, s.member);
        else CreateSoundBuffer(*s.slot, s.member);
    }
    SetSpeedFactor();
    const std::string problem = Settings().TakeReadProblem();
    if (!problem.empty()) {
        // Said before the jingles, with the window up and the settings saved.
        FinishStartUp();
        TellSettingsProblems(problem);
    }
    StartChosenSpeech();
    PlayAndWait("sounds/vrenn.wav", SoundClass::Music, FinishStartUp);
    FinishStartUp();  // the jingle could not start
    PlayAndWait("sounds/tamblor.wav", SoundClass::Music);
}

void ExitGame() {
    SaveSettings();
    NoteState("exit");
    StopBuffer(sndMenuMusic);
    PlayAndWait("sounds/menu/mnuExit.wav");
    ReleaseSharedSounds();
    CloseArchive();
    EndProgram(0);
}

void RunGame() {
    if (!MainWindow().ClaimSingleInstance()) {
        MainWindow().ActivateRunningInstance();
        SayAlreadyRunning();
        EndProgram(0);
    }
    // The window comes up as the logo jingle starts (or before a report
    // that stops the start), so the first sound is not kept waiting for it.
    windowShown = false;
    InitGame();
    MainMenu();
}

}  // namespace tamblor
