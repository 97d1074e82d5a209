#include "core/start_checks.h"

#include <cstdio>

#include "audio/archive.h"
#include "audio/sound.h"
#include "core/errors.h"
#include "core/app.h"
#include "core/data_paths.h"
#include "platform/platform.h"

namespace tamblor {

const char* const kRequiredMembers[] = {
    "sounds/ball.wav",          "sounds/bumper1.wav",        "sounds/bumper2.wav",       "sounds/MultiHit.wav",
    "sounds/WallHit.wav",       "sounds/ScanBeep.wav",       "sounds/ScanTrig.wav",      "sounds/Flipper.wav",
    "sounds/menu/mnuMusic.wav", "sounds/Bell.wav",           "sounds/SpellSw.wav",       "sounds/ScanWait.wav",
    "sounds/ProxBeep.wav",      "sounds/PausedLp.wav",       "sounds/error.wav",         "sounds/menu/mnuInstr.wav",
    "sounds/menu/mnuPM.wav",    "sounds/menu/mnuSS.wav",     "sounds/menu/mnuHeist.wav", "sounds/menu/mnuSFRI.wav",
    "sounds/menu/mnuHH.wav",    "sounds/menu/mnuWW.wav",     "sounds/menu/mnuHighS.wav", "sounds/menu/mnuHMenu.wav",
    "sounds/menu/mnuOMenu.wav", "sounds/menu/mnuExitP.wav",  "sounds/menu/mnuExit.wav",
};
const int kRequiredMemberCount = sizeof kRequiredMembers / sizeof kRequiredMembers[0];

void CheckGameFiles(const std::string& archiveName) {
    std::string problem = ArchiveDamage();
    if (problem.empty()) {
        std::string missing;
        int count = 0;
        for (const char* member : kRequiredMembers) {
            if (FindMember(member) != kMemberNotFound) continue;
            if (++count <= 5) missing += std::string(count > 1 ? ", " : "") + member;
        }
        if (count > 5) missing += " and " + std::to_string(count - 5) + " more";
        if (count > 0) problem = "it lacks sounds the game cannot do without (" + missing + ")";
    }
    if (problem.empty()) return;

    std::string text = "Tamblor cannot start: the sound archive " + AppPath + "/" + archiveName +
                       " cannot be used, because " + problem +
                       ". Without it the game cannot speak. Please reinstall the game; if that does not help, "
                       "e-mail " + kSupportAddress + " with this message.";
    CloseArchive();
    // The voice saying so is a loose file: the archive is what failed.
    bool sound = SoundMixer().OpenDevice();
    ShowErrorReport(text, sound ? "system/errors/archive.wav" : "");
    EndProgram(1);
}

void TellSettingsProblems(const std::string& problem) {
    if (!problem.empty()) HearNotice(problem, "sounds/errors/settings.wav");
}

void SayAlreadyRunning() {
    std::fprintf(stderr, "Tamblor is already running; its window was brought to the front.\n");
    // The same data the running copy found: an installed game keeps it away
    // from the program.
    AppPath = FindGameData(ProgramFolder());
    // Only the voice is needed: no settings, no shared sounds.
    if (!AppPath.empty() && OpenArchive(AppPath + "/" + kArchiveName) > 0 && SoundMixer().OpenDevice()) {
        PlayQuietly("sounds/errors/running.wav", true);
        ReleaseSharedSounds();
    }
    CloseArchive();
}

}  // namespace tamblor
