// Options, best scores and the score board in the settings store.
#include <gtest/gtest.h>

#include "core/settings.h"
#include "support/game_fixture.h"

namespace tamblor::test {
namespace {

class SettingsTest : public GameTest {
protected:
    void Store(const std::string& section, const std::string& key, const std::string& value) {
        Settings().Set(kSettingsApp, section, key, value);
        Settings().Flush();
    }
};

TEST(ScoreCodingTest, RoundTripsWholeScoresForEveryMinorVersion) {
    for (const char* version : {"1.0", "1.7", "2.42", "1.99"}) {
        for (double score : {1.0, 10.0, 4520.0, 123456789.0, 9999999999.0}) {
            std::string text = EncodeScore(score, version);
            EXPECT_LE(text.size(), 8u) << score;
            EXPECT_EQ(text.find_first_not_of("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"), std::string::npos);
            EXPECT_EQ(DecodeScore(text, version), score) << version << " " << text;
        }
    }
    EXPECT_EQ(EncodeScore(-5, "1.0"), "0");  // 0 itself: the first run's stored defaults
}

TEST(ScoreCodingTest, TamperedDigitsAndForeignCharactersAreRejected) {
    std::string text = EncodeScore(1234567, "1.0");
    const std::string digits = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    int accepted = 0, tried = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        for (char d : digits) {
            if (d == text[i]) continue;
            std::string tampered = text;
            tampered[i] = d;
            ++tried;
            if (DecodeScore(tampered, "1.0") > 0) ++accepted;
        }
    }
    // A one-digit change passes only by the rare chance of landing on a multiple.
    EXPECT_LT(accepted * 100, tried * 5) << accepted << " of " << tried;
    // Foreign characters, nothing, too long, and another minor version's
    // coding read as this one's: none is a whole score.
    for (const std::string& bad : {std::string("abc"), std::string("12-4"), std::string(), std::string(30, 'Z'),
                                   EncodeScore(5000, "1.3")})
        EXPECT_EQ(DecodeScore(bad, "1.0"), 0) << bad;
}

TEST_F(SettingsTest, FirstRunSavesEveryKeyWithItsDefault) {
    LoadSettings();
    SaveSettings();
    const std::pair<const char*, const char*> options[] = {
        {"Version", "1.0"},   {"GameMode", "0"},   {"GameSpeed", "0"},      {"MenuInstructions", "0"},
        {"SpeechVolume", "0"}, {"EffectsVolume", "0"}, {"MusicVolume", "0"}, {"Pan", "0"},
        {"Ducking", "1000"},  {"SpeechRate", "100"}, {"Voice", "0"},       {"Screen", "0"},
        {"Rumble", "1"},      {"NameHits", "0"}};
    for (const auto& [key, value] : options) EXPECT_EQ(platform.Stored("Settings", key), value) << key;
    for (const char* t : {"PacMan", "SoccerStar", "Heist", "Safari", "HauntedHouse", "WildWest"}) {
        EXPECT_EQ(platform.Stored("Settings", std::string("HS") + t), "0") << t;
        EXPECT_EQ(platform.Stored("Settings", std::string("MV") + t), "0") << t;
    }
    for (int row = 0; row < 6; ++row) {
        std::string n = std::to_string(row);
        EXPECT_EQ(platform.Stored("Scores", n + "I"), "---");
        EXPECT_EQ(platform.Stored("Scores", n + "S"), "0");
        EXPECT_EQ(platform.Stored("Scores", n + "P"), "None");
    }
    // (And no other key: the first run of StartupTest.)
}

// (The options, best scores and music volumes read back: HearingSettings,
// HostileFilesTest and MenuTest.)
TEST_F(SettingsTest, ScoreBoardRowsRoundTripThroughTheStore) {
    ScoreBoard[3] = {"ABC", -17, "Third"};
    SaveSettings();
    ScoreBoard[3] = {};
    LoadSettings();
    EXPECT_EQ(ScoreBoard[3].initials, "ABC");
    EXPECT_EQ(ScoreBoard[3].score, -17);
    EXPECT_EQ(ScoreBoard[3].third, "Third");
}

TEST_F(SettingsTest, BestScoresSurviveAnUpgradeOfTheMinorVersion) {
    // Written by version 1.3; this program is 1.0.
    Store("Settings", "Version", "1.3");
    Store("Settings", "HSPacMan", EncodeScore(45000, "1.3"));
    LoadSettings();
    EXPECT_EQ(BestScore[kPacMan], 45000);
    SaveSettings();  // re-encoded for the running version
    EXPECT_EQ(platform.Stored("Settings", "Version"), "1.0");
    EXPECT_EQ(DecodeScore(platform.Stored("Settings", "HSPacMan"), "1.0"), 45000);

    // No usable "Version": the running version decodes.
    BestScore[kPacMan] = 0;
    Store("Settings", "Version", "garbage");
    Store("Settings", "HSPacMan", EncodeScore(777, "1.0"));
    LoadSettings();
    EXPECT_EQ(BestScore[kPacMan], 777);
}

TEST_F(SettingsTest, TamperedOrNonNumericValuesCountAsAbsent) {
    std::string good = EncodeScore(4000, "1.0");
    std::string bad = good;
    bad.back() = bad.back() == '1' ? '2' : '1';
    Store("Settings", "HSHeist", bad);
    Store("Settings", "HSSafari", "hello");
    Store("Settings", "GameMode", "x1");
    Store("Settings", "GameSpeed", "300");
    Store("Settings", "MVHeist", "-99999");
    Store("Settings", "MVSafari", "-1500");
    Store("Scores", "2S", "12abc");
    LoadSettings();
    EXPECT_EQ((std::vector<double>{BestScore[kHeist], BestScore[kSafari], double(GameMode), double(GameSpeed),
                                   double(MusicVolume[kHeist]), double(MusicVolume[kSafari]),
                                   double(ScoreBoard[2].score)}),
              (std::vector<double>{0, 0, 0, 0, 0, -1500, 0}));

    // A stored 0 leaves the best score in memory as it was.
    BestScore[kHeist] = 300;
    Store("Settings", "HSHeist", "0");
    LoadSettings();
    EXPECT_EQ(BestScore[kHeist], 300);
}

}  // namespace
}  // namespace tamblor::test
