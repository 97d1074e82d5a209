#include "support/game_fixture.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
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

namespace {

// Adds `folder` + name + ".wav" for each of the space-separated `names`.
void AddSounds(std::vector<ArchiveMember>& m, const std::string& folder, const std::string& names, uint32_t ms,
               uint16_t channels = 1) {
    std::istringstream words(names);
    for (std::string name; words >> name;) m.push_back({folder + name + ".wav", SoundMember(ms, channels)});
}

}  // namespace

std::vector<ArchiveMember> StandardMembers() {
    std::vector<ArchiveMember> m;
    AddSounds(m, "sounds/",
              "ball bumper1 bumper2 MultiHit WallHit ScanBeep ScanTrig Flipper Bell SpellSw ScanWait ProxBeep "
              "PausedLp error",
              200);
    m.push_back({"sounds/menu/mnuMusic.wav", SoundMember(2000, 2)});
    m.push_back({"sounds/vrenn.wav", SoundMember(1500, 2)});
    m.push_back({"sounds/tamblor.wav", SoundMember(2500, 2)});
    m.push_back({"sounds/menu/mnuExit.wav", SoundMember(800, 2)});
    AddSounds(m, "sounds/errors/", "report closing nofile notsaved settings running", 700);
    // The main menu's voices: start-up refuses an archive without them.
    AddSounds(m, "sounds/menu/", "mnuInstr mnuPM mnuSS mnuHeist mnuSFRI mnuHH mnuWW mnuHighS mnuHMenu mnuOMenu mnuExitP",
              600, 2);
    AddSounds(m, "sounds/numbers/",
              "zero hundred thousand million 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 30 40 50 60 70 80 90",
              300);
    return m;
}

std::vector<ArchiveMember> MenuMembers() {
    std::vector<ArchiveMember> m = StandardMembers();
    AddSounds(m, "sounds/menu/",
              "mnuUnava mnuOMI mnuTestS mnuGMode mnuGSped mnuEOM mnuHMI mnuPMSD mnuSSSD mnuHSD mnuSSD mnuHHSD mnuWWSD "
              "mnuEHM mnuMInst mnuSpVol mnuFxVol mnuMuVol mnuDuck mnuPan mnuRate mnuVoice mnuScrn mnuRumbl mnuNHits",
              600, 2);
    AddSounds(m, "sounds/", "TestSpkr BLaunch taunt_00 taunt_01 taunt_02 taunt_03 taunt_04 taunt_05 taunt_06", 600, 2);
    AddSounds(m, "", "pacman/v_SDPM soccer/v_SDSS Heist/v_SDH Safari/v_SDS Haunted/v_SDHH WildWest/v_SDWW", 600, 2);
    AddSounds(m, "sounds/menu/",
              "mnuAccs mnuClass mnuNorml mnuInsan mnuRelax mnuAlwys mnuFirst mnuFull mnuSilnt mnuDbDn mnuDbUnd "
              "mnuDkSil mnuPanCl mnuPanWd mnuPcent mnuVRec mnuVSys mnuVNA mnuVLost mnuScTC mnuScCO mnuScOff mnuRmbOn "
              "mnuRmbOf mnuNHOn mnuNHOf",
              600);
    AddSounds(m, "sounds/", "HSReset v_Launch LReady Paused Resumed v_PAKTC PadOn PadOff", 600);
    return m;
}

void GameTest::WriteMenuLooseFiles() {
    std::istringstream hss("scoresel hs_yhs hd_hsb submiths hs_reset hsmsg exit"), digits("0 1 2 3 4 5 6 7 8 9 point");
    for (std::string name; hss >> name;) WriteLooseFile("system/hss/" + name + ".wav", 600);
    for (std::string name; digits >> name;) WriteLooseFile("system/initials/" + name + ".wav", 300);
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
    std::fill(std::begin(BestScore), std::end(BestScore), 0);
    std::fill(std::begin(MusicVolume), std::end(MusicVolume), 0);
    std::fill(std::begin(ScoreBoard), std::end(ScoreBoard), ScoreBoardRow{});
    SpeedFactor = 3.0f;
    std::fill(std::begin(ClassVolume), std::end(ClassVolume), 0);
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

uint64_t GameTest::FirstMs(const std::string& label, const std::string& op) const {
    for (const SoundEvent& e : platform.SoundLog()) {
        const bool started = e.op == "play" || e.op == "loop";
        if (e.label == label && (op == "start" ? started : e.op == op)) return e.ms;
    }
    return UINT64_MAX;
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
    for (const std::string& label : platform.Played()) {
        if (started && label != "sounds/tamblor.wav") {
            size_t slash = label.find_last_of("/\\");
            out += (out.empty() ? "" : " ") + label.substr(slash + 1, label.size() - slash - 5);
        }
        started = started || label == "sounds/tamblor.wav";
    }
    return out;
}

}  // namespace tamblor::test
