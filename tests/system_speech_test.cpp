// System speech: the words of every voice sent to the desktop's speech
// service (the scripted stand-in records them) instead of the recordings,
// numbers joined to their message, and the recorded voices taking over
// when the service cannot be had or goes.
#include <gtest/gtest.h>

#include "audio/archive.h"
#include "audio/system_speech.h"
#include "audio/voice_text.h"
#include "core/keyboard.h"
#include "core/settings.h"
#include "core/startup.h"
#include "support/table_fixture.h"
#include "table/table.h"
#include "table_checks.h"

namespace tamblor::test {
namespace {

std::string Text(const std::string& member) {
    static std::vector<uint8_t> bytes = ManifestVoiceTexts().bytes;
    const std::string all(bytes.begin(), bytes.end());
    const size_t at = all.find(member + "\t");
    const size_t text = all.find('\t', at + member.size() + 1) + 1;
    return all.substr(text, all.find('\n', text) - text);
}

const std::string kInstructions = Text("sounds/menu/mnuInstr.wav");
const std::string kGoodbye = Text("sounds/menu/mnuExit.wav");

TEST(VoiceTextTest, NumbersAreOneTextAndRatesRelative) {
    const std::pair<double, const char*> numbers[] = {{0, "0"},       {0.7, "0"},         {7.9, "7"},
                                                      {1000, "1,000"}, {1234567, "1,234,567"}, {1e15, "999,999,999,999"}};
    for (const auto& [n, text] : numbers) EXPECT_EQ(NumberText(n), text) << n;
    char small[4];
    EXPECT_EQ(WriteNumberText(123456, small, sizeof small), 3u);
    EXPECT_STREQ(small, "123");
    const std::pair<uint16_t, int> rates[] = {{75, -50}, {100, 0}, {125, 16}, {175, 50}, {250, 100}};
    for (const auto& [percent, rate] : rates) EXPECT_EQ(RelativeTextRate(percent), rate) << percent;
}

class SystemSpeech : public MenuGameTest {
protected:
    void SetUp() override {
        MenuGameTest::SetUp();
        UseArchiveWithTexts(MenuMembers());
        platform.StoredSettings()[{kSettingsApp, "Settings", "Voice"}] = "1";
    }
    void UseArchiveWithTexts(std::vector<ArchiveMember> members) {
        members.push_back(ManifestVoiceTexts());
        UseArchive(members, false);
    }
    // The same key on each of these voices (or texts) in turn.
    void OnEach(std::initializer_list<std::string> labels, uint8_t key) {
        for (const std::string& label : labels) On(label, key);
    }
    std::string Said() const {
        std::string out;
        for (const std::string& t : platform.SaidTexts()) out += (out.empty() ? "" : " / ") + t;
        return out;
    }
};

// The main menu, the options: the voice turned to recorded and back, the
// speech rate turned up (its number joined to its word and passed on as a
// relative rate), R, and out.
TEST_F(SystemSpeech, AMenuWalkSendsEveryVoicesWordsInOrder) {
    On(kInstructions, scan::Down);
    OnEach({"Soccer Star.", "Pac Man.", "Leave the game."}, scan::Up);
    On("Options menu.", scan::Return);
    OnEach({Text("sounds/menu/mnuOMI.wav"), "Leave the options menu.", "Name what you hit.", "Rumble.", "Screen."}, scan::Up);
    On("Voice.", scan::Left);                        // recorded: said by its recording
    After("sounds/menu/mnuVRec.wav", scan::Right);   // system again: said as text
    After(Text("sounds/menu/mnuVSys.wav"), scan::Up);
    On("Speech rate.", scan::Right);
    After("125 percent", scan::R);
    After("125 percent", scan::Escape);  // the repeat's
    On(kInstructions, scan::Escape);
    Run();
    EXPECT_EQ(Said(), kInstructions + " / Soccer Star. / Pac Man. / " + Text("sounds/menu/mnuExitP.wav") +
                          " / Options menu. / " + Text("sounds/menu/mnuOMI.wav") +
                          " / Leave the options menu. / Name what you hit. / Rumble. / Screen. / Voice. / " + Text("sounds/menu/mnuVSys.wav") +
                          " / Speech rate. / 125 percent / 125 percent / " + kInstructions + " / " + kGoodbye)
        << PlayedList();
    EXPECT_EQ(platform.SpeechRelativeRate(), 16);
    EXPECT_EQ(platform.Stored("Settings", "Voice"), "1");
    EXPECT_GT(CountAny(platform, {"sounds/menu/mnuVRec.wav"}), 0);
    EXPECT_EQ(CountAny(platform, {"sounds/menu/mnuInstr.wav", "sounds/menu/mnuSS.wav", "sounds/menu/mnuVSys.wav",
                                  "sounds/numbers/100.wav", "sounds/menu/mnuPcent.wav", "sounds/menu/mnuExit.wav"}),
              0);
    EXPECT_GT(CountAny(platform, {"sounds/bumper1.wav"}), 0);  // the clicks and music stay in the game's mixer
    EXPECT_GT(CountAny(platform, {"sounds/menu/mnuMusic.wav"}), 0);
}

// Skip, Control and the service's end: a key cuts a text the game waits
// for; Control silences the rest of the message; the next waits for its end.
TEST_F(SystemSpeech, AKeyCutsTheTextItSkipsAndControlSilencesIt) {
    platform.SetSpeechLengthMs(0);  // texts end only when the test says so
    On(kInstructions, scan::Down);  // cuts the instructions
    platform.TapWhenSoundStarts("Soccer Star.", scan::LeftControl, 10, 300);
    platform.TapAt(20000, scan::Escape);
    platform.OnYield([this] {
        if (platform.NowMs() == 25000) platform.EndSpeech();  // the goodbye's end, heard back
    });
    Run();
    platform.OnYield(nullptr);
    EXPECT_EQ(Said(), kInstructions + " / Soccer Star. / " + kGoodbye);
    EXPECT_GE(platform.SpeechCancels(), 2);
    EXPECT_GE(platform.NowMs(), 25000u) << "the goodbye was not waited for";
}

// The service stops in the middle of a run: the recorded voices speak at
// once, the player hears so once, and the option stays for the next run.
TEST_F(SystemSpeech, ALostServiceGivesTheRecordedVoicesBackAndSaysSoOnce) {
    On("Soccer Star.", scan::Down);
    platform.TapWhenSoundStarts("Soccer Star.", scan::Down);
    On(kInstructions, scan::Down);
    platform.OnYield([this] {
        if (platform.SaidTexts().size() == 2) platform.LoseSpeech();
    });
    On("sounds/menu/mnuHeist.wav", scan::Down);
    On("sounds/menu/mnuSFRI.wav", scan::Escape);
    Run();
    platform.OnYield(nullptr);
    EXPECT_EQ(Said(), kInstructions + " / Soccer Star.");
    EXPECT_EQ(CountAny(platform, {"sounds/menu/mnuVLost.wav"}), 1);
    EXPECT_GT(CountAny(platform, {"sounds/menu/mnuExit.wav"}), 0);
    EXPECT_EQ(platform.Stored("Settings", "Voice"), "1");
}

// No service answers: at start-up the choice is kept for the next run; in
// the menu it is not taken. Either way the recorded voice says so.
TEST_F(SystemSpeech, WithNoServiceTheRecordedVoicesSayItIsNotThere) {
    platform.SetSpeechAnswers(false);
    platform.TapWhenSoundStarts("sounds/menu/mnuVNA.wav", scan::F3, 0, 1);  // at start-up
    IntoOptions();
    OnEach({"sounds/menu/mnuOMI.wav", "sounds/menu/mnuEOM.wav", "sounds/menu/mnuNHits.wav", "sounds/menu/mnuRumbl.wav",
            "sounds/menu/mnuScrn.wav"},
           scan::Up);
    On("sounds/menu/mnuVoice.wav", scan::Right);
    platform.TapWhenSoundStarts("sounds/menu/mnuVNA.wav", scan::Escape, 700);
    On("sounds/menu/mnuInstr.wav", scan::Escape);
    EXPECT_EQ(RunUntilExit(RunGame), 0);
    EXPECT_EQ(platform.Played().front(), "sounds/menu/mnuVNA.wav");
    EXPECT_NE(Heard().find("mnuVoice mnuVNA mnuMusic mnuInstr mnuExit"), std::string::npos) << Heard();
    EXPECT_TRUE(platform.SaidTexts().empty());
    EXPECT_EQ(platform.Stored("Settings", "Voice"), "0");
}

// A missing or damaged table of words: every voice stays recorded.
TEST_F(SystemSpeech, AMissingOrDamagedTableLeavesTheRecordedVoices) {
    const std::string good = "sounds/menu/mnuPM.wav\tsay\tPac Man.\nsystem/hss/exit.wav\tsay\tLeave.\n";
    const std::pair<std::string, bool> tables[] = {
        {good, true}, {"", false}, {good + "no tabs here\n", false}, {good + "a.wav\tsay\tbad\x01text\n", false},
        {good + "a.wav\tshout\ttext\n", false}, {std::string(good) + '\0' + '\0', false}};
    for (const auto& [table, usable] : tables) {
        std::vector<ArchiveMember> members = MenuMembers();
        if (!table.empty()) members.push_back({kVoiceTextMember, {table.begin(), table.end()}});
        UseArchive(members);
        EXPECT_EQ(LoadVoiceTexts(), usable) << table;
        EXPECT_EQ(VoiceText("SYSTEM\\HSS\\EXIT.WAV"), usable ? "Leave." : "") << table;
    }
    On("sounds/menu/mnuInstr.wav", scan::Escape);
    Run();  // with the last, damaged table
    EXPECT_TRUE(platform.SaidTexts().empty());
    EXPECT_GT(CountAny(platform, {"sounds/menu/mnuInstr.wav"}), 0);
}

// A whole short game of Pac Man chosen from the menu: the launch prompt,
// the end of the game with its score as one text, and the menu again.
TEST_F(SystemSpeech, AShortGameSendsItsPromptsAndScoreAsText) {
    UseArchiveWithTexts(ProgramMembers(kPacManCase));
    On(kInstructions, scan::Return);
    platform.TapWhenSoundStarts("sounds/LReady.wav", scan::Space, 400, 80);
    platform.TapWhenSoundStarts("sounds/BLaunch.wav", scan::Escape, 3000);
    After("Press any key to continue.", scan::Space);
    On(kInstructions, scan::Escape);
    platform.SetTimeLimitMs(600000);
    Run();
    UnloadTable(kPacManCase.table);  // its holders outlive this test's platform
    const std::vector<std::string> expected = {
        kInstructions, "Press Space to launch the ball.", "Game over.", Text("sounds/v_NHTS.wav"),
        "Your score was " + NumberText(Game.Score) + " points.", "and tables completed, 0 tables.",
        "Press any key to continue.", kInstructions, kGoodbye};
    EXPECT_EQ(platform.SaidTexts(), expected);
    EXPECT_EQ(
        CountAny(platform, {"sounds/v_Launch.wav", "sounds/v_GOver.wav", "sounds/v_YSW.wav", "sounds/v_Points.wav"}), 0)
        << PlayedList();
    EXPECT_GT(CountAny(platform, {"sounds/ball.wav"}), 0);
}

}  // namespace
}  // namespace tamblor::test
