// The player's own hearing options: a volume per class of sound, the
// ducking depth and the pan law, and the keys that repeat and silence
// speech. With every option at its default the game must sound exactly as
// it always did, sample for sample.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <tuple>

#include "audio/archive.h"
#include "audio/sound.h"
#include "audio/speech.h"
#include "audio/speech_rate.h"
#include "core/keyboard.h"
#include "core/settings.h"
#include "core/startup.h"
#include "platform/soft_mixer.h"
#include "table/play.h"
#include "table/services.h"
#include "table/table.h"
#include "support/table_fixture.h"
#include "support/table_bot.h"
#include "tables/pacman/pacman.h"

namespace tamblor::test {
namespace {

// Fingerprints of the rendered output of the two walks below, taken from
// the game before any hearing option existed. A change to what the walks
// hear (a menu, the Pac Man rules, the mixer) changes them too; then check
// that the change is meant and take the new values from the test's output.
constexpr uint64_t kMenuWalkFingerprint = 0x27025d6f6a81fe01;
constexpr uint64_t kMenuWalkFrames = 453833;
constexpr uint64_t kPacManFingerprint = 0xaab5820bf0e4aa04;
constexpr uint64_t kPacManFrames = 6914902;

// What the player would hear, as samples: every mixer call goes to the
// scripted platform's recording mixer (which keeps the game's virtual time
// and answers its questions) and to a software mixer, rendered up to the
// virtual time of the call, whose every sample goes into a fingerprint.
class RenderingMixer : public Mixer {
public:
    static constexpr uint32_t kRate = 22050;

    // Installs itself in place of the platform's mixer.
    explicit RenderingMixer(ScriptedPlatform& platform)
        : platform_(platform), recording_(*platform.Services().mixer), soft_(kRate) {
        Platform services = platform.Services();
        services.mixer = this;
        InstallPlatform(services);
    }
    ~RenderingMixer() override { InstallPlatform(platform_.Services()); }
    // Renders up to now; checks the fingerprint (FNV-1a over the 16-bit
    // samples) and the stereo frames it covers, printed for when a change is meant.
    void ExpectAsBefore(const char* walk, uint64_t frames, uint64_t print) {
        RenderToNow();
        std::printf("[ hearing ] %s: fingerprint 0x%016llx over %llu frames\n", walk, (unsigned long long)hash_,
                    (unsigned long long)rendered_);
        EXPECT_EQ(rendered_, frames);
        EXPECT_EQ(hash_, print);
    }

    bool OpenDevice() override { return recording_.OpenDevice(); }
    BufferId CreateBuffer(const WaveFormat& format, uint32_t flags, const void* data, size_t bytes,
                          std::string_view label) override {
        RenderToNow();
        BufferId id = recording_.CreateBuffer(format, flags, data, bytes, label);
        ids_[id] = soft_.CreateBuffer(format, flags, data, bytes, label);
        return id;
    }
    BufferId CreateBufferFromFile(const std::string& path, uint32_t flags, std::string_view label) override {
        RenderToNow();
        BufferId id = recording_.CreateBufferFromFile(path, flags, label);
        ids_[id] = soft_.CreateBufferFromFile(path, flags, label);
        return id;
    }
    void Release(BufferId id) override {
        Both(&Mixer::Release, id);
        ids_.erase(id);
    }
    void Play(BufferId id, bool loop) override { Both(&Mixer::Play, id, loop); }
    void Stop(BufferId id) override { Both(&Mixer::Stop, id); }
    void SetCurrentPosition(BufferId id, uint32_t position) override {
        Both(&Mixer::SetCurrentPosition, id, position);
    }
    void SetVolume(BufferId id, int32_t volume) override { Both(&Mixer::SetVolume, id, volume); }
    void SetPan(BufferId id, int32_t pan) override { Both(&Mixer::SetPan, id, pan); }
    void SetFrequency(BufferId id, uint32_t hz) override { Both(&Mixer::SetFrequency, id, hz); }
    void SetBufferClass(BufferId id, SoundClass soundClass) override {
        Both(&Mixer::SetBufferClass, id, soundClass);
    }
    void SetClassVolume(SoundClass soundClass, int32_t volume) override {
        Each(&Mixer::SetClassVolume, soundClass, volume);
    }
    void SetPanLaw(PanLaw law) override { Each(&Mixer::SetPanLaw, law); }
    // The game's questions are answered in its virtual time.
    int32_t GetVolume(BufferId id) override { return recording_.GetVolume(id); }
    uint32_t GetStatus(BufferId id) override {
        RenderToNow();
        return recording_.GetStatus(id);
    }

private:
    void RenderToNow() {
        const uint64_t due = platform_.NowMicros() * kRate / 1000000;
        int16_t chunk[2 * 512];
        while (rendered_ < due) {
            const size_t n = static_cast<size_t>(std::min<uint64_t>(due - rendered_, 512));
            soft_.Render(chunk, n);
            for (size_t i = 0; i < 2 * n; ++i) {
                const uint16_t v = static_cast<uint16_t>(chunk[i]);
                hash_ = (hash_ ^ (v & 0xFF)) * 0x100000001b3ull;
                hash_ = (hash_ ^ (v >> 8)) * 0x100000001b3ull;
            }
            rendered_ += n;
        }
    }
    // Every change goes to both mixers, the software one rendered up to now
    // first; a buffer's under the software mixer's own id.
    template <typename... Args>
    void Each(void (Mixer::*change)(Args...), Args... values) {
        RenderToNow();
        (recording_.*change)(values...);
        (soft_.*change)(values...);
    }
    template <typename... Args, typename... Values>
    void Both(void (Mixer::*change)(BufferId, Args...), BufferId id, Values... values) {
        RenderToNow();
        auto soft = ids_.find(id);
        (recording_.*change)(id, values...);
        (soft_.*change)(soft == ids_.end() ? kNoBuffer : soft->second, values...);
    }

    ScriptedPlatform& platform_;
    Mixer& recording_;
    SoftMixer soft_;
    std::map<BufferId, BufferId> ids_;  // recording id -> software id
    uint64_t rendered_ = 0;
    uint64_t hash_ = 0xcbf29ce484222325ull;
};

// Through the main menu, every option the game always had (each changed
// and changed back), the speaker test, the version, the help menu and the
// high scores, and out.
using MenuWalk = MenuGameTest;

TEST_F(MenuWalk, WithEveryHearingOptionAtItsDefaultTheMenusSoundAsBefore) {
    RenderingMixer mixer(platform);
    On("sounds/menu/mnuInstr.wav", scan::Down);  // 0 -> 1
    On("sounds/menu/mnuSS.wav", scan::Down);     // 1 -> 2
    On("sounds/menu/mnuHeist.wav", scan::Up);    // 2 -> 1
    On("sounds/menu/mnuSS.wav", scan::Up);       // 1 -> 0
    On("sounds/menu/mnuPM.wav", scan::Up);       // 0 -> 9
    On("sounds/menu/mnuExitP.wav", scan::Up);    // 9 -> 8
    On("sounds/menu/mnuOMenu.wav", scan::Return);
    On("sounds/menu/mnuOMI.wav", scan::Down);      // 0 -> 1
    On("sounds/menu/mnuGMode.wav", scan::Return);  // classic
    After("sounds/menu/mnuClass.wav", scan::Return);  // accessible
    After("sounds/menu/mnuAccs.wav", scan::Down);     // 1 -> 2
    On("sounds/menu/mnuGSped.wav", scan::Return);     // insane
    After("sounds/menu/mnuInsan.wav", scan::Return);  // relaxed
    After("sounds/menu/mnuRelax.wav", scan::Return);  // normal
    After("sounds/menu/mnuNorml.wav", scan::Up);      // 2 -> 1
    On("sounds/menu/mnuGMode.wav", scan::Up);         // 1 -> 0
    On("sounds/menu/mnuTestS.wav", scan::Return);     // the speaker test
    platform.TapWhenSoundStarts("sounds/TestSpkr.wav", scan::Up, 900, 50);  // 0 -> leave
    On("sounds/menu/mnuEOM.wav", scan::Return);
    // The fresh main menu: the version, then the help menu.
    platform.TapWhenSoundStarts("sounds/menu/mnuInstr.wav", scan::V, 900, 50);
    platform.TapWhenSoundStarts("system\\initials\\0.wav", scan::Up, 1000, 50);  // 0 -> 9
    On("sounds/menu/mnuExitP.wav", scan::Up);  // 9 -> 8
    On("sounds/menu/mnuOMenu.wav", scan::Up);  // 8 -> 7
    On("sounds/menu/mnuHMenu.wav", scan::Return);
    After("sounds/menu/mnuPMSD.wav", scan::Down);
    On("sounds/menu/mnuSSSD.wav", scan::Return);
    After("soccer/v_SDSS.wav", scan::Escape);
    // Back on entry 7: up to the high scores, hear them, leave.
    On("sounds/menu/mnuHMenu.wav", scan::Up);
    On("sounds/menu/mnuHighS.wav", scan::Return);
    On("system/hss/scoresel.wav", scan::Return);
    On("system/hss/scoresel.wav", scan::Escape);
    On("sounds/menu/mnuHighS.wav", scan::Escape);
    Run();
    mixer.ExpectAsBefore("menu walk", kMenuWalkFrames, kMenuWalkFingerprint);
}

// A Pac Man game played by the listening bot on a fixed seed, the game
// started under the rendering mixer.
class PacManWalk : public PacManTest {
protected:
    void SetUp() override { GameTest::SetUp(); }
};

TEST_F(PacManWalk, WithEveryHearingOptionAtItsDefaultAGameSoundsAsBefore) {
    RenderingMixer mixer(platform);
    UseArchive(TableMembers(Table(), case_.sounds(), case_.mapSource), false);
    InitGame();
    platform.ClearSoundLog();
    BotCues cues;
    cues.scanCues = {"sounds/ScanBeep.wav", "sounds/ScanTrig.wav", "pacman/ScanGhst.wav",
                     "pacman/ScanFrt.wav",  "pacman/ScanPUp.wav",  "pacman/ScanTunl.wav"};
    BotFigures figures;
    TableBot bot(platform, figures, cues);
    bot.PlayGame(pacman::kTable, 4242, 120000);
    mixer.ExpectAsBefore("Pac Man game", kPacManFrames, kPacManFingerprint);
}

// ------------------------------------------------------------ the mixer ---

// A mono buffer of a constant level, playing.
BufferId Constant(SoftMixer& mixer, int16_t level, SoundClass soundClass) {
    std::vector<int16_t> samples(2000, level);
    BufferId id = mixer.CreateBuffer(PcmFormat(1), kBufCtrlPan | kBufCtrlVolume, samples.data(),
                                     samples.size() * 2, "constant");
    mixer.SetBufferClass(id, soundClass);
    mixer.Play(id, true);
    return id;
}

std::pair<int, int> RenderOne(SoftMixer& mixer) {
    int16_t out[2 * 8];
    mixer.Render(out, 8);
    return {out[14], out[15]};
}

TEST(HearingMixer, AClassVolumeTurnsOnlyItsOwnClassAndFullLeavesEverySampleAlone) {
    SoftMixer mixer(22050, 1.0f);
    Constant(mixer, 1000, SoundClass::Speech);
    BufferId effect = Constant(mixer, 1000, SoundClass::Effects);
    EXPECT_EQ(RenderOne(mixer), std::make_pair(2000, 2000));
    mixer.SetClassVolume(SoundClass::Effects, -600);  // 6 dB: about half
    EXPECT_EQ(RenderOne(mixer), std::make_pair(1501, 1501));
    mixer.SetClassVolume(SoundClass::Music, kVolumeMin);  // nothing of music plays
    EXPECT_EQ(RenderOne(mixer), std::make_pair(1501, 1501));
    mixer.SetClassVolume(SoundClass::Speech, kVolumeMin);
    EXPECT_EQ(RenderOne(mixer), std::make_pair(501, 501));
    // On top of the buffer's own volume, which still reads as it was set.
    mixer.SetVolume(effect, -600);
    EXPECT_EQ(mixer.GetVolume(effect), -600);
    EXPECT_EQ(RenderOne(mixer), std::make_pair(251, 251));
    mixer.SetClassVolume(SoundClass::Speech, 0);
    mixer.SetClassVolume(SoundClass::Effects, 0);
    mixer.SetVolume(effect, 0);
    EXPECT_EQ(RenderOne(mixer), std::make_pair(2000, 2000));
    // A buffer made while its class is turned down starts turned down.
    mixer.SetClassVolume(SoundClass::Effects, kVolumeMin);
    Constant(mixer, 1000, SoundClass::Effects);
    EXPECT_EQ(RenderOne(mixer), std::make_pair(1000, 1000));
    EXPECT_THROW(mixer.SetClassVolume(SoundClass::Music, 1), RuntimeError);
}

TEST(HearingMixer, TheWidePanNeverLeavesAnEarKeepsItsPowerAndLeavesTheCentreAlone) {
    float left = 0, right = 0, lastRight = 0;
    for (int32_t pan = kPanLeft; pan <= kPanRight; pan += 250) {
        SoftMixer::PanGains(PanLaw::Wide, pan, left, right);
        EXPECT_NEAR(left * left + right * right, 2.0, 1e-5) << pan;
        // The far ear at most about 15 dB below the near one.
        EXPECT_GT(std::min(left, right) / std::max(left, right), 0.17f) << pan;
        EXPECT_GT(right, lastRight) << pan;
        lastRight = right;
    }
    SoftMixer::PanGains(PanLaw::Wide, 0, left, right);
    EXPECT_EQ(left, 1.0f);
    EXPECT_EQ(right, 1.0f);
    SoftMixer::PanGains(PanLaw::Classic, kPanRight, left, right);
    EXPECT_LT(left, 0.001f);
    EXPECT_EQ(right, 1.0f);

    SoftMixer mixer(22050, 1.0f);
    BufferId id = Constant(mixer, 1000, SoundClass::Effects);
    const auto centre = RenderOne(mixer);
    mixer.SetPanLaw(PanLaw::Wide);
    EXPECT_EQ(RenderOne(mixer), centre);
    mixer.SetPan(id, kPanLeft);
    const auto wideLeft = RenderOne(mixer);
    EXPECT_GT(wideLeft.second, 150);  // the right ear still hears it
    mixer.SetPanLaw(PanLaw::Classic);
    EXPECT_EQ(RenderOne(mixer), std::make_pair(1000, 0));
}

// ------------------------------------------------------------- settings ---

class HearingSettings : public GameTest {
protected:
    void Store(const std::string& key, const std::string& value) {
        platform.StoredSettings()[{kSettingsApp, "Settings", key}] = value;
    }
};

TEST_F(HearingSettings, AnOldSettingsFileKeepsEveryKeyAndValue) {
    Store("Version", "1.0");
    Store("GameMode", "1");
    Store("GameSpeed", "2");
    Store("MenuInstructions", "1");
    Store("HSPacMan", EncodeScore(5000, "1.0"));
    Store("MVHeist", "-700");
    Store("SomethingElse", "kept as it is");
    platform.StoredSettings()[{kSettingsApp, "Scores", "2I"}] = "ABC";
    platform.StoredSettings()[{kSettingsApp, "Scores", "2S"}] = "12345";
    platform.StoredSettings()[{kSettingsApp, "Other", "x"}] = "y";
    const auto before = platform.StoredSettings();
    LoadSettings();
    SaveSettings();
    for (const auto& [key, value] : before)
        EXPECT_EQ(platform.StoredSettings()[key], value) << std::get<1>(key) << "/" << std::get<2>(key);
    // (The new keys written with their defaults: SettingsTest's first run.)
}

TEST_F(HearingSettings, LevelsAreReadBackOnTheirStepsAndStrayValuesMended) {
    const char* const keys[] = {"SpeechVolume", "EffectsVolume", "MusicVolume", "Ducking", "Pan"};
    const struct {
        const char* what;
        const char* stored[5];
        std::vector<int> read;  // as the keys, the pan law as its number
    } rows[] = {
        {"on their steps", {"-900", "-300", "-10000", "2500", "1"}, {-900, -300, kVolumeMin, 2500, 1}},
        {"off them: the nearest; silence only for music",
         {"-400", "-10000", "-5000", "1700", "7"}, {-300, kQuietestLevel, kQuietestLevel, 1500, 0}},
        {"garbage: the defaults", {"loud", "5", "-10001", "-3", ""}, {0, 0, 0, 1000, 0}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        for (int i = 0; i < 5; ++i) Store(keys[i], row.stored[i]);
        LoadSettings();
        EXPECT_EQ((std::vector<int>{ClassVolume[0], ClassVolume[1], ClassVolume[2], DuckingDepth, int(PanMode)}),
                  row.read);
    }
    EXPECT_EQ(DuckedMusicVolume(), -1000);
    Store("Ducking", "10000");
    LoadSettings();
    EXPECT_EQ(DuckedMusicVolume(), kVolumeMin);
}

// -------------------------------------------------------- the options ---

class HearingMenus : public MenuGameTest {
protected:
    const SoundEvent* LastStart(const std::string& label) {
        const SoundEvent* found = nullptr;
        for (const SoundEvent& e : platform.SoundLog())
            if ((e.op == "play" || e.op == "loop") && e.label == label) found = &e;
        return found;
    }
};

TEST_F(HearingMenus, EachVolumeTurnsItsClassAtOnceIsHeardAtItsNewLevelAndStored) {
    platform.StoredSettings()[{kSettingsApp, "Settings", "MusicVolume"}] = "-3000";
    IntoOptions(4);
    On("sounds/menu/mnuSpVol.wav", scan::Right);      // already full: says so
    After("sounds/menu/mnuFull.wav", scan::Left);      // 3 dB down
    After("sounds/menu/mnuDbDn.wav", scan::Left);      // 6 dB down
    After("sounds/menu/mnuDbDn.wav", scan::Down);      // effects
    On("sounds/menu/mnuFxVol.wav", scan::Return);     // Enter: a step down
    After("sounds/menu/mnuDbDn.wav", scan::Down);      // music
    On("sounds/menu/mnuMuVol.wav", scan::Left);       // from the quietest level to silence
    After("sounds/menu/mnuSilnt.wav", scan::Right);    // and back
    After("sounds/menu/mnuDbDn.wav", scan::Escape);
    On("sounds/menu/mnuInstr.wav", scan::Escape);
    Run();
    const std::string heard = Heard();
    EXPECT_NE(heard.find("mnuSpVol mnuFull 3 mnuDbDn 6 mnuDbDn bumper1 mnuFxVol bumper1 3 mnuDbDn bumper1 mnuMuVol "
                         "mnuSilnt 30 mnuDbDn mnuMusic mnuInstr"),
              std::string::npos)
        << heard;
    // Each class is turned, stored and heard through its own volume: the
    // voices, the click, the music.
    for (auto [soundClass, key, volume, label] :
         {std::tuple{SoundClass::Speech, "SpeechVolume", -600, "sounds/numbers/30.wav"},
          {SoundClass::Effects, "EffectsVolume", -300, "sounds/bumper1.wav"},
          {SoundClass::Music, "MusicVolume", -3000, "sounds/menu/mnuMusic.wav"}}) {
        EXPECT_EQ(platform.ClassVolume(soundClass), volume) << key;
        EXPECT_EQ(platform.Stored("Settings", key), std::to_string(volume));
        EXPECT_EQ(LastStart(label)->soundClass, soundClass) << label;
        EXPECT_EQ(LastStart(label)->classVolume, volume) << label;
    }
    // The next run starts at the stored levels.
    platform.ClearSoundLog();
    for (int16_t& v : ClassVolume) v = 0;
    InstallPlatform(platform.Services());
    On("sounds/menu/mnuInstr.wav", scan::Escape);
    Run();
    EXPECT_EQ(LastStart("sounds/menu/mnuInstr.wav")->classVolume, -600);
}

TEST_F(HearingMenus, TheDuckingDepthAndThePanLawAreHeardAtOnceAndStored) {
    IntoOptions(7);
    On("sounds/menu/mnuDuck.wav", scan::Return);    // 15 dB
    After("sounds/menu/mnuDbUnd.wav", scan::Down);   // pan
    On("sounds/menu/mnuPan.wav", scan::Return);     // wide
    platform.TapWhenSoundStarts("sounds/menu/mnuPanWd.wav", scan::Escape, 2000, 50);
    On("sounds/menu/mnuInstr.wav", scan::Escape);
    Run();
    EXPECT_NE(Heard().find("mnuDuck 15 mnuDbUnd bumper1 mnuPan mnuPanWd bumper1 bumper1 bumper1 bumper1 bumper1"),
              std::string::npos)
        << Heard();
    EXPECT_EQ(platform.Stored("Settings", "Ducking"), "1500");
    EXPECT_EQ(platform.Stored("Settings", "Pan"), "1");
    EXPECT_EQ(platform.CurrentPanLaw(), PanLaw::Wide);
    // The sample crossed the table; the fresh menu's instructions are heard
    // over music ducked the new depth.
    std::vector<int64_t> pans, ducks;
    bool fresh = false, wide = false;
    for (const SoundEvent& e : platform.SoundLog()) {
        wide = wide || e.label == "sounds/menu/mnuPanWd.wav";
        if (wide && e.label == "sounds/bumper1.wav" && e.op == "pan") pans.push_back(e.value);
        if (e.op == "loop" && e.label == "sounds/menu/mnuMusic.wav") fresh = true;
        if (fresh && e.op == "volume" && e.label == "sounds/menu/mnuMusic.wav") ducks.push_back(e.value);
    }
    EXPECT_EQ(pans, (std::vector<int64_t>{-10000, -5000, 0, 5000, 10000, 0}));
    ASSERT_FALSE(ducks.empty());
    EXPECT_EQ(ducks.back(), 0);
    EXPECT_NE(std::find(ducks.begin(), ducks.end(), -1500), ducks.end());
    // Enter goes on round: deeper to silence, then back to 10 dB.
    for (int16_t depth : {2000, 2500, 3000, 10000, 1000}) {
        if (!StepDuckingDeeper()) DuckingDepth = kDuckingDepths[0];
        EXPECT_EQ(DuckingDepth, depth);
    }
}

TEST_F(HearingMenus, RRepeatsTheEntryANewPlayerHeardLastAndControlCutsIt) {
    On("sounds/menu/mnuInstr.wav", scan::Down);
    platform.TapWhenSoundStarts("sounds/menu/mnuSS.wav", scan::R, 900, 50);
    platform.TapWhenSoundStarts("sounds/menu/mnuSS.wav", scan::LeftControl, 200, 50);  // the repeat, cut
    platform.TapAt(20000, scan::Escape);
    Run();
    EXPECT_EQ(Heard(), "mnuMusic mnuInstr bumper1 mnuSS mnuSS mnuExit");
    uint64_t started = 0, stopped = 0;
    for (const SoundEvent& e : platform.SoundLog()) {
        if (e.label == "sounds/menu/mnuSS.wav" && e.op == "play") started = e.ms;
        if (e.label == "sounds/menu/mnuSS.wav" && e.op == "stop") stopped = e.ms;
    }
    EXPECT_LT(stopped - started, 600u);  // cut before its 600 ms were out
}

// ---------------------------------------------------------- speech rate ---

// Zero crossings per second of a mono signal: its pitch, near enough.
double Crossings(const std::vector<int16_t>& s, uint32_t rate) {
    int n = 0;
    for (size_t i = 1; i < s.size(); ++i) n += (s[i - 1] < 0) != (s[i] < 0);
    return double(n) * rate / double(s.size());
}

TEST(HearingSpeechRate, AStretchedVoiceTakesItsRatesTimeAndKeepsItsPitch) {
    const uint32_t rate = 22050;
    std::vector<int16_t> tone(rate);
    for (size_t i = 0; i < tone.size(); ++i) tone[i] = int16_t(8000 * std::sin(2 * M_PI * 220 * double(i) / rate));
    for (uint16_t percent : kSpeechRates) {
        const std::vector<int16_t> out = Stretch(tone.data(), tone.size(), 1, rate, percent);
        const double seconds = double(out.size()) / rate;
        EXPECT_NEAR(seconds, 100.0 / percent, 0.02) << percent;
        EXPECT_NEAR(Crossings(out, rate), Crossings(tone, rate), 10.0) << percent;
    }
    // Stereo keeps its two channels apart.
    std::vector<int16_t> stereo(2 * rate);
    for (size_t i = 0; i < rate; ++i) stereo[2 * i] = tone[i], stereo[2 * i + 1] = 0;
    const std::vector<int16_t> out = Stretch(stereo.data(), rate, 2, rate, 200);
    int16_t right = 0;
    for (size_t i = 1; i < out.size(); i += 2) right = std::max<int16_t>(right, int16_t(std::abs(out[i])));
    EXPECT_LT(right, 10);
    EXPECT_NEAR(double(out.size()) / 2 / rate, 0.5, 0.02);
}

TEST_F(HearingMenus, AtTwiceTheRateVoicesTakeHalfTheTimeNumbersStayJoinedAndEffectsAreUntouched) {
    platform.StoredSettings()[{kSettingsApp, "Settings", "SpeechRate"}] = "200";
    platform.TapWhenSoundStarts("sounds/menu/mnuInstr.wav", scan::Down, 400, 50);  // at 600 ms it would be over
    platform.TapWhenSoundStarts("sounds/menu/mnuSS.wav", scan::Up, 400, 50);
    platform.TapWhenSoundStarts("sounds/menu/mnuPM.wav", scan::Escape, 400, 50);
    Run();
    EXPECT_EQ(Heard(), "mnuMusic mnuInstr bumper1 mnuSS bumper1 mnuPM mnuExit");
    auto frames = [&](const std::string& label) {
        for (const SoundEvent& e : platform.SoundLog())
            if (e.op == "create" && e.label == label) return e.value;
        return int64_t(-1);
    };
    const int64_t recorded = 600 * 22050 / 1000;
    EXPECT_NEAR(double(frames("sounds/menu/mnuPM.wav")), recorded / 2.0, recorded * 0.02);
    EXPECT_NEAR(double(frames("sounds/menu/mnuMusic.wav")), 2000 * 22050 / 1000, 1);
    EXPECT_NEAR(double(frames("sounds/vrenn.wav")), 1500 * 22050 / 1000, 1);  // a jingle is music
    // A voice that plays again is not stretched again; numbers join up.
    OpenArchive("tamblor.tmb");
    const size_t kept = StretchedVoicesKept();
    PlaySound("sounds/menu/mnuAccs.wav", 0, true);
    PlaySound("sounds/menu/mnuAccs.wav", 0, true);
    EXPECT_EQ(StretchedVoicesKept(), kept + 1);
    platform.ClearSoundLog();
    SpeakNumber(1234567);
    std::vector<uint64_t> starts;
    for (const SoundEvent& e : platform.SoundLog())
        if (e.op == "play") starts.push_back(e.ms);
    ASSERT_EQ(starts.size(), 11u);
    for (size_t i = 1; i < starts.size(); ++i) EXPECT_NEAR(double(starts[i] - starts[i - 1]), 150, 6) << i;
}

TEST_F(HearingMenus, TheSpeechRateIsChangedSaidAtItsNewRateAndStored) {
    IntoOptions(8);
    On("sounds/menu/mnuPan.wav", scan::Down);
    On("sounds/menu/mnuRate.wav", scan::Right);          // 125
    After("sounds/menu/mnuPcent.wav", scan::Return);      // 150
    platform.TapWhenSoundStarts("sounds/menu/mnuPcent.wav", scan::Escape, 1000, 50);
    On("sounds/menu/mnuInstr.wav", scan::Escape);
    Run();
    EXPECT_NE(Heard().find("mnuRate 1 hundred 20 5 mnuPcent 1 hundred 50 mnuPcent"), std::string::npos) << Heard();
    EXPECT_EQ(platform.Stored("Settings", "SpeechRate"), "150");
    EXPECT_EQ(SpeechRate, 150);
    for (int i = 0; i < 5; ++i)
        if (!StepSpeechFaster()) SpeechRate = kSpeechRates[0];
    EXPECT_EQ(SpeechRate, 75);  // 175, 200, 225, 250, then round to the slowest
}

// ------------------------------------------------------- in play, Pac Man ---

class HearingPlay : public TableTestOf<kPacManCase, 0> {
protected:
    // The table's key handling, pass by pass, for `ms`.
    void Keys(uint32_t ms) {
        const uint32_t start = GetTick();
        while (GetTick() - start < ms) {
            PollKeyboard();
            InPlayKeys();
            YieldToSystem();
        }
    }
    std::vector<std::string> Report() {
        return {"sounds/v_UHave.wav", "sounds/numbers/1.wav", "sounds/numbers/million.wav", "sounds/numbers/2.wav",
                "sounds/numbers/hundred.wav", "sounds/numbers/30.wav", "sounds/numbers/4.wav",
                "sounds/numbers/thousand.wav", "sounds/numbers/5.wav", "sounds/numbers/hundred.wav",
                "sounds/numbers/60.wav", "sounds/numbers/7.wav", "sounds/v_Points.wav", "pacman/v_NOTC.wav",
                "sounds/numbers/zero.wav", "pacman/v_Tables.wav", "sounds/v_UHave.wav", N(3),
                "sounds/v_BsLeft.wav"};
    }
    // Taps `key` `delayMs` after the `nth` start of `label` from now on.
    void TapOnStart(const std::string& label, int nth, uint8_t key, uint64_t delayMs) {
        const size_t from = Mark();
        platform.OnYield([=, this] {
            int seen = 0;
            const std::vector<SoundEvent>& log = platform.SoundLog();
            for (size_t i = from; i < log.size(); ++i)
                if (log[i].op == "play" && log[i].label == label && ++seen == nth) {
                    platform.TapAt(log[i].ms + delayMs, key, 60);
                    platform.OnYield(nullptr);
                    return;
                }
        });
    }
    std::vector<std::string> Voices(size_t from) {
        std::vector<std::string> out;
        for (const std::string& s : StartedSince(from))
            if (s.find("Siren") == std::string::npos && s != "sounds/ball.wav") out.push_back(s);
        return out;
    }
};

TEST_F(HearingPlay, RSaysTheWholeLastReportAgainAndControlCutsOneMidNumber) {
    Game.Score = 1234567;
    CommandKeysReleased = true;
    size_t from = Mark();
    platform.TapAt(platform.NowMs() + 20, scan::S, 60);
    Keys(100);
    platform.TapAt(platform.NowMs() + 20, scan::R, 60);
    Keys(100);
    std::vector<std::string> twice = Report(), once = Report();
    twice.insert(twice.end(), once.begin(), once.end());
    EXPECT_EQ(Voices(from), twice);

    // Control while the score is said: the rest of the report is dropped.
    from = Mark();
    platform.TapWhenSoundStarts("sounds/numbers/2.wav", scan::LeftControl, 50, 100);
    platform.TapAt(platform.NowMs() + 20, scan::S, 60);
    Keys(300);
    EXPECT_EQ(Voices(from), std::vector<std::string>(once.begin(), once.begin() + 4));
    // ... but kept whole for R, once Control is up.
    from = Mark();
    platform.TapAt(platform.NowMs() + 200, scan::R, 60);
    Keys(300);
    EXPECT_EQ(Voices(from), once);
}

TEST_F(HearingPlay, RWorksAtTheLaunchPromptInThePauseAndAtTheGameOverPrompt) {
    // The launch prompt: its own words again; then a launch.
    platform.TapWhenSoundStarts("sounds/LReady.wav", scan::R, 400, 60);
    TapOnStart("sounds/v_Launch.wav", 2, scan::Space, 1000);
    size_t from = Mark();
    LaunchBall();
    EXPECT_EQ(Voices(from), (std::vector<std::string>{"sounds/v_Launch.wav", "sounds/LReady.wav",
                                                      "sounds/v_Launch.wav", "sounds/BLaunch.wav"}));
    // The pause: R says what was said before it, and the pause goes on.
    Game.Score = 1234567;
    CommandKeysReleased = true;
    platform.TapAt(platform.NowMs() + 20, scan::S, 60);
    Keys(100);
    platform.TapAt(platform.NowMs() + 20, scan::P, 60);
    platform.TapWhenSoundStarts("sounds/PausedLp.wav", scan::R, 300, 60);
    platform.TapWhenSoundStarts("sounds/v_BsLeft.wav", scan::Down, 600, 60);
    from = Mark();
    Keys(200);
    std::vector<std::string> expected = Report();
    expected.insert(expected.begin(), {"sounds/Paused.wav", "sounds/PausedLp.wav"});
    expected.push_back("sounds/Resumed.wav");
    EXPECT_EQ(Voices(from), expected);
    // The game's end: R says it all again; another key goes on.
    platform.TapWhenSoundStarts("sounds/v_PAKTC.wav", scan::R, 800, 60);
    TapOnStart("sounds/v_PAKTC.wav", 2, scan::Space, 800);
    platform.TapAt(platform.NowMs() + 60000, scan::Space, 60);
    from = Mark();
    EXPECT_TRUE(RunUntilMainMenu([] { EndGame(); }));
    const std::vector<std::string> heard = Voices(from);
    EXPECT_EQ(std::count(heard.begin(), heard.end(), "sounds/v_GOver.wav"), 2);
    EXPECT_EQ(std::count(heard.begin(), heard.end(), "sounds/v_PAKTC.wav"), 2);
    EXPECT_LT(platform.NowMs(), 60000u);
}

}  // namespace
}  // namespace tamblor::test
