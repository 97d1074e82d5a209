#include "support/game_fixture.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <unistd.h>

#include "audio/archive.h"
#include "audio/sound.h"
#include "audio/speech_keys.h"
#include "audio/speech_rate.h"
#include "core/gamepad.h"
#include "core/keyboard.h"
#include "core/screen.h"
#include "core/settings.h"
#include "core/startup.h"
#include "menus/main_menu.h"
#include "platform/wav.h"

namespace tamblor::test {

namespace fs = std::filesystem;

std::vector<uint8_t> SoundMember(uint32_t ms, uint16_t channels) {
    // Every fixture asks for thousands of these, and a length and channel
    // count always make the same bytes: each is made once.
    static std::map<std::pair<uint32_t, uint16_t>, std::vector<uint8_t>> made;
    auto [known, fresh] = made.try_emplace({ms, channels});
    if (!fresh) return known->second;
    uint64_t frames = uint64_t(ms) * 22050 / 1000;
    std::vector<uint8_t> samples;
    samples.reserve(frames * 2 * channels + 156);
    for (uint64_t i = 0; i < frames; ++i) {
        int16_t v = static_cast<int16_t>(1000 * std::sin(double(i) * 0.1));
        for (uint16_t c = 0; c < channels; ++c) {
            samples.push_back(uint8_t(v));
            samples.push_back(uint8_t(uint16_t(v) >> 8));
        }
    }
    samples.resize(samples.size() + 156, 0);
    known->second = MakeWav(PcmFormat(channels), samples);
    return known->second;
}

std::vector<ArchiveMember> StandardMembers() {
    std::vector<ArchiveMember> m;
    for (const char* name : {"sounds/ball.wav", "sounds/bumper1.wav", "sounds/bumper2.wav", "sounds/MultiHit.wav",
                             "sounds/WallHit.wav", "sounds/ScanBeep.wav", "sounds/ScanTrig.wav",
                             "sounds/Flipper.wav", "sounds/Bell.wav", "sounds/SpellSw.wav", "sounds/ScanWait.wav",
                             "sounds/ProxBeep.wav", "sounds/PausedLp.wav", "sounds/error.wav"})
        m.push_back({name, SoundMember(200)});
    m.push_back({"sounds/menu/mnuMusic.wav", SoundMember(2000, 2)});
    m.push_back({"sounds/vrenn.wav", SoundMember(1500, 2)});
    m.push_back({"sounds/tamblor.wav", SoundMember(2500, 2)});
    m.push_back({"sounds/menu/mnuExit.wav", SoundMember(800, 2)});
    for (const char* name : {"sounds/errors/report.wav", "sounds/errors/closing.wav", "sounds/errors/nofile.wav",
                             "sounds/errors/notsaved.wav", "sounds/errors/settings.wav", "sounds/errors/running.wav"})
        m.push_back({name, SoundMember(700)});
    // The main menu's voices: start-up refuses an archive without them.
    for (const char* name : {"sounds/menu/mnuInstr.wav", "sounds/menu/mnuPM.wav", "sounds/menu/mnuSS.wav",
                             "sounds/menu/mnuHeist.wav", "sounds/menu/mnuSFRI.wav", "sounds/menu/mnuHH.wav",
                             "sounds/menu/mnuWW.wav", "sounds/menu/mnuHighS.wav", "sounds/menu/mnuHMenu.wav",
                             "sounds/menu/mnuOMenu.wav", "sounds/menu/mnuExitP.wav"})
        m.push_back({name, SoundMember(600, 2)});
    std::vector<std::string> words = {"zero", "hundred", "thousand", "million"};
    for (int i = 1; i <= 19; ++i) words.push_back(std::to_string(i));
    for (int i = 20; i <= 90; i += 10) words.push_back(std::to_string(i));
    for (const std::string& w : words) m.push_back({"sounds/numbers/" + w + ".wav", SoundMember(300)});
    return m;
}

std::vector<ArchiveMember> MenuMembers() {
    std::vector<ArchiveMember> m = StandardMembers();
    const char* stereo[] = {
        "sounds/menu/mnuUnava.wav",
        "sounds/menu/mnuOMI.wav",   "sounds/menu/mnuTestS.wav", "sounds/menu/mnuGMode.wav", "sounds/menu/mnuGSped.wav",
        "sounds/menu/mnuEOM.wav",   "sounds/TestSpkr.wav",      "sounds/menu/mnuHMI.wav",   "sounds/menu/mnuPMSD.wav",
        "sounds/menu/mnuSSSD.wav",  "sounds/menu/mnuHSD.wav",   "sounds/menu/mnuSSD.wav",   "sounds/menu/mnuHHSD.wav",
        "sounds/menu/mnuWWSD.wav",  "sounds/menu/mnuEHM.wav",   "pacman/v_SDPM.wav",        "soccer/v_SDSS.wav",
        "Heist/v_SDH.wav",          "Safari/v_SDS.wav",         "Haunted/v_SDHH.wav",       "WildWest/v_SDWW.wav",
        "sounds/BLaunch.wav",       "sounds/menu/mnuMInst.wav", "sounds/menu/mnuSpVol.wav", "sounds/menu/mnuFxVol.wav",
        "sounds/menu/mnuMuVol.wav", "sounds/menu/mnuDuck.wav",  "sounds/menu/mnuPan.wav",   "sounds/menu/mnuRate.wav",
        "sounds/menu/mnuVoice.wav", "sounds/menu/mnuScrn.wav", "sounds/menu/mnuRumbl.wav", "sounds/menu/mnuNHits.wav"};
    for (const char* name : stereo) m.push_back({name, SoundMember(600, 2)});
    const char* mono[] = {"sounds/menu/mnuAccs.wav", "sounds/menu/mnuClass.wav", "sounds/menu/mnuNorml.wav",
                          "sounds/menu/mnuInsan.wav", "sounds/HSReset.wav",      "sounds/v_Launch.wav",
                          "sounds/LReady.wav",       "sounds/Paused.wav",       "sounds/Resumed.wav",
                          "sounds/v_PAKTC.wav",      "sounds/menu/mnuRelax.wav", "sounds/menu/mnuAlwys.wav",
                          "sounds/menu/mnuFirst.wav", "sounds/menu/mnuFull.wav",  "sounds/menu/mnuSilnt.wav",
                          "sounds/menu/mnuDbDn.wav",  "sounds/menu/mnuDbUnd.wav", "sounds/menu/mnuDkSil.wav",
                          "sounds/menu/mnuPanCl.wav", "sounds/menu/mnuPanWd.wav", "sounds/menu/mnuPcent.wav",
                          "sounds/menu/mnuVRec.wav",  "sounds/menu/mnuVSys.wav",  "sounds/menu/mnuVNA.wav",
                          "sounds/menu/mnuVLost.wav", "sounds/menu/mnuScTC.wav", "sounds/menu/mnuScCO.wav",
                          "sounds/menu/mnuScOff.wav", "sounds/menu/mnuRmbOn.wav", "sounds/menu/mnuRmbOf.wav",
                          "sounds/PadOn.wav",         "sounds/PadOff.wav",       "sounds/menu/mnuNHOn.wav",
                          "sounds/menu/mnuNHOf.wav"};
    for (const char* name : mono) m.push_back({name, SoundMember(600)});
    for (int n = 0; n <= 6; ++n) m.push_back({"sounds/taunt_0" + std::to_string(n) + ".wav", SoundMember(600, 2)});
    return m;
}

void GameTest::WriteMenuLooseFiles() {
    for (const char* name : {"scoresel", "hs_yhs", "hd_hsb", "submiths", "hs_reset", "hsmsg", "exit"})
        WriteLooseFile(std::string("system/hss/") + name + ".wav", 600);
    for (const char* name : {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "point"})
        WriteLooseFile(std::string("system/initials/") + name + ".wav", 300);
}

void GameTest::SetUp() {
    root = (fs::temp_directory_path() /
            ("tamblor-test-" + std::to_string(::getpid()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name()))
               .string();
    fs::remove_all(root);
    appFolder = root + "/app";
    dataRoot = root + "/data";
    fs::create_directories(appFolder);
    fs::create_directories(dataRoot);
    platform.SetFolders(appFolder, dataRoot);
    platform.SetTimeLimitMs(30 * 60 * 1000);
    InstallPlatform(platform.Services());

    // The game's process-wide state, as a fresh process has it.
    CloseArchive();
    ResetKeyboard();
    AppPath = appFolder;
    DataFolder = dataRoot + "/Tamblor";
    fs::create_directories(DataFolder);
    GameMode = GameSpeed = MenuInstructions = 0;
    InstructionsHeardThisRun = false;
    Version.clear();
    for (int t = 0; t < kTableCount; ++t) {
        BestScore[t] = 0;
        MusicVolume[t] = 0;
    }
    for (ScoreBoardRow& row : ScoreBoard) row = ScoreBoardRow{};
    SpeedFactor = 3.0f;
    for (int16_t& volume : ClassVolume) volume = 0;
    DuckingDepth = kDuckingDepths[0];
    PanMode = PanLaw::Classic;
    SpeechRate = kNormalSpeechRate;
    SystemVoice = 0;
    ScreenChoice = 0;
    RumbleOn = 1;
    ResetRumble();
    ForgetStretchedVoices();
    ForgetSpeech();
    SetScreenMode(0);
    ForgetScreen();
}

void GameTest::TearDown() {
    ReleaseSharedSounds();
    CloseArchive();
    InstallPlatform(Platform{});
    std::error_code ignored;
    fs::remove_all(root, ignored);
}

void GameTest::UseArchive(const std::vector<ArchiveMember>& members, bool open) {
    WriteArchiveFile(appFolder + "/tamblor.tmb", members);
    if (open) OpenArchive("tamblor.tmb");
}

void GameTest::WriteLooseFile(const std::string& relativePath, uint32_t ms, uint16_t channels) {
    fs::path path = fs::path(appFolder) / relativePath;
    fs::create_directories(path.parent_path());
    std::vector<uint8_t> bytes = SoundMember(ms, channels);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

int GameTest::RunUntilExit(const std::function<void()>& body) {
    try {
        body();
    } catch (const ProcessExit& exit) {
        return exit.status;
    } catch (const ScriptTimeout& timeout) {
        ADD_FAILURE() << "the script ran out of time at " << timeout.atMs << " ms; played: " << PlayedList();
        return -2;
    }
    return -1;
}

std::string GameTest::PlayedList() const {
    std::string out;
    for (const std::string& label : platform.Played()) out += (out.empty() ? "" : ",") + label;
    return out;
}

std::vector<std::string> GameTest::Ops(const std::string& label, size_t from) const {
    std::vector<std::string> out;
    const std::vector<SoundEvent>& log = platform.SoundLog();
    for (size_t i = from; i < log.size(); ++i)
        if (log[i].label == label) out.push_back(log[i].op + ":" + std::to_string(log[i].value));
    return out;
}

std::vector<std::string> GameTest::StartedSince(size_t from) const {
    std::vector<std::string> out;
    const std::vector<SoundEvent>& log = platform.SoundLog();
    for (size_t i = from; i < log.size(); ++i)
        if (log[i].op == "play" || log[i].op == "loop") out.push_back(log[i].label);
    return out;
}

void MenuGameTest::SetUp() {
    GameTest::SetUp();
    UseArchive(MenuMembers(), false);
    WriteMenuLooseFiles();
}

void MenuGameTest::IntoOptions(int entry) {
    On("sounds/menu/mnuInstr.wav", scan::Up);
    On("sounds/menu/mnuExitP.wav", scan::Up);
    On("sounds/menu/mnuOMenu.wav", scan::Return);
    const char* names[] = {"sounds/menu/mnuOMI.wav",   "sounds/menu/mnuGMode.wav", "sounds/menu/mnuGSped.wav",
                           "sounds/menu/mnuMInst.wav", "sounds/menu/mnuSpVol.wav", "sounds/menu/mnuFxVol.wav",
                           "sounds/menu/mnuMuVol.wav", "sounds/menu/mnuDuck.wav",  "sounds/menu/mnuPan.wav"};
    for (int i = 0; i < entry; ++i) On(names[i], scan::Down);
}

void MenuGameTest::Run() { EXPECT_EQ(RunUntilExit(RunGame), 0) << PlayedList(); }

std::string MenuGameTest::Heard() const {
    std::string out;
    bool started = false;
    for (std::string label : platform.Played()) {
        if (label == "sounds/tamblor.wav") {
            started = true;
            continue;
        }
        if (!started) continue;
        size_t slash = label.find_last_of("/\\");
        label = label.substr(slash + 1, label.size() - slash - 5);
        out += (out.empty() ? "" : " ") + label;
    }
    return out;
}

}  // namespace tamblor::test
