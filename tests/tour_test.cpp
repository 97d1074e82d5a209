// The sound tour and practice of every table: the tour walked from the main
// menu, each entry's words, place and sound; every sound a table's rules can
// play is in its tour; a practice game gives every lost ball back and keeps
// nothing; and the names of what the ball hits come at most once a second.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <sstream>

#include "audio/archive.h"
#include "audio/positional.h"
#include "audio/sound.h"
#include "core/keyboard.h"
#include "core/settings.h"
#include "core/startup.h"
#include "support/table_fixture.h"
#include "table/named_hits.h"
#include "table/play.h"
#include "table/table.h"
#include "table/tour_data.h"
#include "tools/maptools/map_source.h"

namespace tamblor::test {
namespace {

std::string SourceText(const std::string& relative) {
    std::ifstream in(std::string(TAMBLOR_SOURCE_DIR) + "/" + relative, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const std::string& Key(const TableCase& c) {
    static std::map<int, std::string> keys;
    return keys.emplace(c.table.id, FactsOfTable(c.table.id).keyName).first->second;
}

Tour TourOf(const TableCase& c) {
    std::vector<std::string> problems;
    Tour tour = ParseTour(SourceText("assets/tours/" + Key(c) + ".tour"), Key(c), problems);
    for (const std::string& p : problems) ADD_FAILURE() << Key(c) << ".tour " << p;
    return tour;
}

// The manifest's members: name -> (kind, channels).
struct Listed {
    std::string kind;
    int channels;
};
std::map<std::string, Listed> Manifest() {
    std::map<std::string, Listed> out;
    std::istringstream in(SourceText("assets/manifest.tsv"));
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> f;
        std::stringstream fields(line);
        for (std::string x; std::getline(fields, x, '\t');)
            if (!x.empty()) f.push_back(x);
        if (line.empty() || line[0] == '#' || f.size() < 4) continue;
        out[UpperCase(f[0])] = {f[2], f[1] == "stereo" ? 2 : 1};
    }
    return out;
}

// The whole program's archive with the table's tour in it: its text, its
// captions and names, and every member it plays.
std::vector<ArchiveMember> TourMembers(const TableCase& c) {
    std::vector<ArchiveMember> members = ProgramMembers(c);
    const Tour tour = TourOf(c);
    const std::string text = SourceText("assets/tours/" + Key(c) + ".tour");
    members.push_back({TourMember(Key(c)), {text.begin(), text.end()}});
    std::set<std::string> have;
    for (const ArchiveMember& m : members) have.insert(UpperCase(m.name));
    const auto manifest = Manifest();
    auto add = [&](const std::string& name, uint32_t ms, int channels) {
        if (have.insert(UpperCase(name)).second) members.push_back({name, SoundMember(ms, uint16_t(channels))});
    };
    for (const TourEntry& e : tour.entries) {
        add(e.captionVoice, 600, 2);
        if (!e.shortVoice.empty()) add(e.shortVoice, 300, 1);
        auto listed = manifest.find(UpperCase(e.member));
        add(e.member, 200, listed == manifest.end() ? 1 : listed->second.channels);
    }
    for (const char* v : {"sounds/menu/mnuTour.wav", "sounds/menu/mnuTPrac.wav", "sounds/menu/mnuETour.wav",
                          "sounds/tour/upleft.wav", "sounds/tour/upmid.wav", "sounds/tour/upright.wav",
                          "sounds/tour/left.wav", "sounds/tour/middle.wav", "sounds/tour/right.wav",
                          "sounds/tour/lowleft.wav", "sounds/tour/lowmid.wav", "sounds/tour/lowright.wav"})
        add(v, 300, 2);
    for (const char* v : {"sounds/v_PrBack.wav", "sounds/v_Prac.wav"}) add(v, 500, 1);
    return members;
}

// The first cell of a code (and second byte) in the table's map source, row by row.
struct Cell {
    bool found = false;
    int x = 0, y = 0;
};
Cell FirstCell(const TableCase& c, int code, int number) {
    std::vector<maptools::Diagnostic> problems;
    const maptools::MapSource map =
        maptools::ParseMapSource(SourceText("assets/maps/" + std::string(c.mapSource)), c.mapSource, problems);
    for (int y = 0; y < maptools::kGridSize; ++y)
        for (int x = 0; x < maptools::kGridSize; ++x)
            if (map.grid.Code(x, y) == code && (number < 0 || map.grid.Number(x, y) == number)) return {true, x, y};
    return {};
}

std::string PlaceWord(const Cell& cell) {
    static const char* const words[3][3] = {{"upleft", "upmid", "upright"},
                                            {"left", "middle", "right"},
                                            {"lowleft", "lowmid", "lowright"}};
    auto third = [](int v) { return v < 16 ? 0 : v < 32 ? 1 : 2; };
    return std::string("sounds/tour/") + words[third(cell.y)][third(cell.x)] + ".wav";
}

class TourWalk : public GameTest, public ::testing::WithParamInterface<const TableCase*> {
protected:
    void SetUp() override {
        GameTest::SetUp();
        UseArchive(TourMembers(*GetParam()), false);
        WriteMenuLooseFiles();
    }
    void TearDown() override {
        platform.OnYield(nullptr);
        GameTest::TearDown();
    }
    void On(const std::string& label, uint8_t key) { platform.TapWhenSoundStarts(label, key, 10, 50); }
};

// From the main menu's entry of the table, T; every entry in turn (Down
// once its sound has started); Escape on the last; Escape again to leave.
TEST_P(TourWalk, EveryEntrySaysItsCaptionAndPlaceThenPlaysItsMemberThereAndEscapeGoesBackToTheTable) {
    const TableCase& c = *GetParam();
    const Tour tour = TourOf(c);
    const auto manifest = Manifest();
    ASSERT_FALSE(tour.entries.empty());
    const int id = c.table.id;
    const char* menuName = FactsOfTable(id).menuName;
    for (int t = 0; t < id; ++t) On(t == 0 ? "sounds/menu/mnuInstr.wav" : FactsOfTable(t).menuName, scan::Down);
    On(id == 0 ? "sounds/menu/mnuInstr.wav" : menuName, scan::T);
    platform.OnYield([&, seen = size_t(0), entry = -1, waiting = false, left = false]() mutable {
        const std::vector<SoundEvent>& log = platform.SoundLog();
        for (; seen < log.size(); ++seen) {
            const SoundEvent& e = log[seen];
            if (e.op != "play" && e.op != "loop") continue;
            const uint64_t now = platform.NowMs();
            if (e.label == "sounds/menu/mnuTPrac.wav") platform.TapAt(now + 10, scan::Down, 50);
            // The last entry: Escape; back on the table's entry, Escape leaves the game.
            if (e.label == "sounds/menu/mnuETour.wav") left = true, platform.TapAt(now + 10, scan::Escape, 50);
            if (left && e.label == menuName) platform.TapAt(now + 10, scan::Escape, 50);
            if (entry + 1 < int(tour.entries.size()) && e.label == tour.entries[size_t(entry + 1)].captionVoice) {
                ++entry;
                waiting = true;
            } else if (waiting && UpperCase(e.label) == UpperCase(tour.entries[size_t(entry)].member)) {
                waiting = false;
                platform.TapAt(now + 100, scan::Down, 50);
            }
        }
    });
    EXPECT_EQ(RunUntilExit(RunGame), 0);
    platform.OnYield(nullptr);

    const std::vector<SoundEvent>& log = platform.SoundLog();
    auto next = [&](size_t from, const std::string& label) {
        for (size_t i = from; i < log.size(); ++i)
            if ((log[i].op == "play" || log[i].op == "loop") && UpperCase(log[i].label) == UpperCase(label)) return i;
        return log.size();
    };
    size_t at = next(0, "sounds/menu/mnuTPrac.wav");
    ASSERT_LT(at, log.size()) << PlayedList();
    for (size_t i = 0; i < tour.entries.size(); ++i) {
        const TourEntry& e = tour.entries[i];
        SCOPED_TRACE(e.member + " (line " + std::to_string(e.line) + ")");
        const size_t caption = next(at, e.captionVoice);
        ASSERT_LT(caption, log.size());
        const size_t until = i + 1 < tour.entries.size() ? next(caption, tour.entries[i + 1].captionVoice)
                                                          : next(caption, "sounds/menu/mnuETour.wav");
        const size_t sound = next(caption + 1, e.member);
        ASSERT_LT(sound, until) << "the member did not start before the next entry";
        const Cell cell = FirstCell(c, e.code, e.number);
        EXPECT_EQ(e.code < 0, !cell.found) << "a place the map does not have";
        const std::string word = next(caption, PlaceWord(cell)) < sound ? PlaceWord(cell) : "";
        EXPECT_EQ(word, cell.found ? PlaceWord(cell) : "");
        // A mono sound at its place (a sweep from the left edge); stereo as it was made.
        std::optional<int64_t> pan;
        for (size_t j = caption; j < sound; ++j)
            if (log[j].op == "pan" && log[j].id == log[sound].id) pan = log[j].value;
        if (manifest.at(UpperCase(e.member)).channels == 1) {
            EXPECT_EQ(pan, e.play == TourPlay::Sweep ? kPanLeft : cell.found ? PanFor(float(cell.x)) : 0);
        } else {
            EXPECT_FALSE(pan.has_value());
        }
        if (e.play == TourPlay::Loop) {
            bool stopped = false;
            for (size_t j = sound; j < until; ++j) stopped = stopped || (log[j].op == "stop" && log[j].id == log[sound].id);
            EXPECT_TRUE(stopped) << "the loop plays on into the next entry";
        }
        at = until;
    }
    // Escape on the last entry: the main menu again, on the table's entry.
    EXPECT_LT(next(next(0, "sounds/menu/mnuETour.wav"), menuName), log.size());
}

INSTANTIATE_TEST_SUITE_P(, TourWalk, ::testing::ValuesIn(kEveryTable), [](const auto& info) { return info.param->name; });

// Every member a table's rules can play (its holders, its intro and extra
// ball, every member of its folder, and the shared sounds of play) is in
// its tour or named as left out, and every entry names a member there is.
TEST(TourCoverage, EveryMemberTheTableCanPlayIsInItsTourOrLeftOutOnPurpose) {
    const auto manifest = Manifest();
    std::set<std::string> shared;
    std::istringstream in(SourceText("assets/manifest.tsv"));
    bool section = false;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("# Shared sounds", 0) == 0) section = true;
        else if (line.empty()) section = false;
        else if (section && line[0] != '#') shared.insert(UpperCase(line.substr(0, line.find('\t'))));
    }
    // The menus' music and the pause's loop belong to no table.
    shared.erase("SOUNDS/MENU/MNUMUSIC.WAV");
    shared.erase("SOUNDS/PAUSEDLP.WAV");
    ASSERT_EQ(shared.size(), 12u);
    for (const TableCase* c : kEveryTable) {
        SCOPED_TRACE(Key(*c));
        const TableDesc& t = c->table;
        std::set<std::string> playable = shared;
        for (const TableSound& s : t.sounds) playable.insert(UpperCase(s.member));
        if (t.intro) playable.insert(UpperCase(t.intro));
        if (t.extraBallVoice) playable.insert(UpperCase(t.extraBallVoice));
        const std::string folder = UpperCase(std::string(t.mapMember).substr(0, std::string(t.mapMember).find('/') + 1));
        for (const auto& [name, listed] : manifest)
            if (name.rfind(folder, 0) == 0 && listed.kind != "map" && name != UpperCase(FactsOfTable(t.id).description))
                playable.insert(name);
        const Tour tour = TourOf(*c);
        std::set<std::string> toured;
        for (const auto* list : {&tour.entries, &tour.leftOut})
            for (const TourEntry& e : *list) {
                EXPECT_TRUE(manifest.count(UpperCase(e.member))) << e.member << " (line " << e.line << ") is no member";
                toured.insert(UpperCase(e.member));
            }
        size_t played = 0;
        for (const std::string& m : playable) {
            EXPECT_TRUE(toured.count(m)) << m << " is neither toured nor left out";
            played += std::any_of(tour.entries.begin(), tour.entries.end(),
                                  [&](const TourEntry& e) { return UpperCase(e.member) == m; });
        }
        std::printf("[ tour ] %s: %zu entries; %zu of the table's %zu members played, %zu left out\n",
                    Key(*c).c_str(), tour.entries.size(), played, playable.size(), tour.leftOut.size());
    }
}

class Practice : public TableTest, public ::testing::WithParamInterface<const TableCase*> {
protected:
    Practice() : TableTest(*GetParam()) {}
    void SetUp() override {
        TableTest::SetUp();
        UseArchive(TourMembers(case_), true);
    }
};

// A practice game tilted more often than there are balls, its status asked
// for, a ball lost with none to spare, then left with Escape: every ball
// comes back, nothing is stored, and a game after it plays by the rules.
TEST_P(Practice, EveryLostBallComesBackNothingIsStoredAndTheNextGamePlaysAsEver) {
    const int id = Table().id;
    BestScore[id] = 1;
    SaveSettings();
    const auto stored = platform.StoredSettings();
    int tilts = 0;
    platform.OnYield([&, next = uint64_t(1000)]() mutable {
        if (platform.NowMs() < next || !platform.IsLabelPlaying("sounds/ball.wav")) return;
        if (Game.Score < 2) Game.Score = 2;  // past the best: still no cheer and no store
        if (tilts == 5) Game.Tilted = false;  // as if each ball had drained: the score would count
        platform.TapAt(platform.NowMs() + 1, tilts < 4 ? scan::Return : tilts == 4 ? scan::S : scan::Escape, 50);
        ++tilts;
        next = platform.NowMs() + 1500;
    });
    LaunchEveryBall(12);
    AnswerTheLastPrompt();
    EXPECT_TRUE(RunUntilMainMenu([&] { RunTable(Table(), true); }));
    platform.OnYield(nullptr);
    EXPECT_EQ(Count("sounds/tilt.wav"), 4);
    EXPECT_EQ(Count("sounds/v_PrBack.wav"), 4);
    EXPECT_EQ(Count("sounds/v_NHS.wav") + Count("sounds/v_NHTS.wav"), 0);
    const std::vector<std::string> heard = platform.Played();
    auto status = std::find(heard.begin(), heard.end(), "sounds/v_Prac.wav");
    ASSERT_NE(status, heard.end());
    EXPECT_EQ(*(status + 1), "sounds/v_UHave.wav");  // then the table's own report
    EXPECT_EQ(platform.StoredSettings(), stored);
    EXPECT_EQ(BestScore[id], 1);

    // A lost ball with none to spare comes back in practice and ends a game.
    for (bool practice : {true, false}) {
        LoadTable();
        Game.Practice = practice;
        Game.BallsLeft = 0;
        LaunchEveryBall(1);
        const size_t mark = Mark();
        if (!practice) AnswerTheLastPrompt();
        EXPECT_EQ(RunUntilMainMenu([] {
                      try {
                          LoseBall();
                      } catch (const RestartPlay&) {
                      }
                  }),
                  !practice);
        EXPECT_EQ(CountSince(mark, "sounds/v_PrBack.wav"), practice ? 1 : 0);
    }
    EXPECT_FALSE(NamingHits());
}

INSTANTIATE_TEST_SUITE_P(, Practice, ::testing::ValuesIn(kEveryTable), [](const auto& info) { return info.param->name; });

using NamedHits = PacManTest;

// A bumper hit every tenth of a second for five seconds: a name a second at
// most, none without practice or the option, and a key cuts one short.
TEST_F(NamedHits, AtMostOneNameASecondOnlyInPracticeOrWithTheOptionAndAnyKeyCutsIt) {
    UseArchive(TourMembers(case_), true);
    const std::string name = [&] {
        for (const TourEntry& e : TourOf(case_).entries)
            if (e.member == "sounds/bumper1.wav") return e.shortVoice;
        return std::string();
    }();
    ASSERT_FALSE(name.empty());
    auto hitFor = [&](uint32_t ms) {
        const uint32_t from = GetTick();
        uint32_t lastHit = from - 100;
        while (GetTick() - from < ms) {
            if (GetTick() - lastHit >= 100) {
                OneShotsNoted noted;
                PlayAtBall(sndBumper1);
                lastHit = GetTick();
            }
            sndBall.Play(true);  // a loop is never a hit
            YieldToSystem();
            NameLastHit();
        }
    };
    std::vector<uint64_t> starts;
    for (uint8_t option : {0, 1}) {
        NameHits = option;
        LoadTable();
        PrepareNamedHits(Table());
        platform.ClearSoundLog();
        hitFor(5000);
        starts.clear();
        for (const SoundEvent& e : platform.SoundLog())
            if (e.op == "play" && e.label == name) starts.push_back(e.ms);
        if (option == 0) {
            EXPECT_TRUE(starts.empty());
        }
    }
    ASSERT_GE(starts.size(), 4u);
    EXPECT_LE(starts.size(), 5u);
    // Game time runs by the clock's steps: a second of it may be one step short of one by the wall.
    for (size_t i = 1; i < starts.size(); ++i)
        EXPECT_GE(starts[i] - starts[i - 1], kNamedHitGapMs - kTickQuantumMicros / 1000 - 1);
    // A key down while a name is said stops it.
    Wait(kNamedHitGapMs);
    {
        OneShotsNoted noted;
        PlayAtBall(sndBumper1);
    }
    NameLastHit();
    ASSERT_TRUE(platform.IsLabelPlaying(name));
    platform.SetKeyDown(scan::LeftShift, true);
    PollKeyboard();
    NameLastHit();
    EXPECT_FALSE(platform.IsLabelPlaying(name));
    platform.SetKeyDown(scan::LeftShift, false);
    NameHits = 0;
}

}  // namespace
}  // namespace tamblor::test
