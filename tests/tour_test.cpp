// The sound tour and practice of every table: the tour walked from the main
// menu; every sound a table's rules can play is in its tour; a practice gives
// every lost ball back and keeps nothing; hits are named a second apart.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <sstream>

#include "audio/archive.h"
#include "audio/positional.h"
#include "audio/sound.h"
#include "core/settings.h"
#include "core/startup.h"
#include "support/files.h"
#include "support/table_fixture.h"
#include "table/named_hits.h"
#include "table/play.h"
#include "table/table.h"
#include "table/tour_data.h"
#include "tools/maptools/map_source.h"

namespace tamblor::test {
namespace {

std::string SourceText(const std::string& relative) {
    return ReadFile(std::string(TAMBLOR_SOURCE_DIR) + "/" + relative);
}

std::string Key(const TableCase& c) { return FactsOfTable(c.table.id).keyName; }

Tour TourOf(const TableCase& c) {
    std::vector<std::string> problems;
    Tour tour = ParseTour(SourceText("assets/tours/" + Key(c) + ".tour"), problems);
    for (const std::string& p : problems) ADD_FAILURE() << Key(c) << ".tour " << p;
    return tour;
}

// The manifest's rows by upper-cased name, with the section each is under.
struct Row {
    std::string name, channels, kind, section;
};
std::map<std::string, Row> Manifest() {
    std::map<std::string, Row> rows;
    std::istringstream in(SourceText("assets/manifest.tsv"));
    std::string section;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("# ", 0) == 0) section = line;
        std::istringstream f(line);
        std::string name, channels, kind;
        if (line.empty() || line[0] == '#' || !std::getline(f, name, '\t') || !std::getline(f, channels, '\t') ||
            !std::getline(f, kind, '\t'))
            continue;
        rows[UpperCase(name)] = {name, channels, kind, section};
    }
    return rows;
}

// The whole program's archive with the table's tour, its voices and every
// member it plays.
std::vector<ArchiveMember> TourMembers(const TableCase& c) {
    std::vector<ArchiveMember> members = ProgramMembers(c);
    const std::string text = SourceText("assets/tours/" + Key(c) + ".tour");
    members.push_back({TourMember(Key(c)), {text.begin(), text.end()}});
    std::set<std::string> have;
    for (const ArchiveMember& m : members) have.insert(UpperCase(m.name));
    auto add = [&](const std::string& name, uint32_t ms, bool stereo) {
        if (have.insert(UpperCase(name)).second) members.push_back({name, SoundMember(ms, stereo ? 2 : 1)});
    };
    const auto manifest = Manifest();
    for (const TourEntry& e : TourOf(c).entries) {
        add(e.captionVoice, 600, false);
        if (!e.shortVoice.empty()) add(e.shortVoice, 300, false);
        add(e.member, 200, manifest.at(UpperCase(e.member)).channels == "stereo");
    }
    for (const auto& [key, row] : manifest)
        if (row.section.find("Sound tour") != std::string::npos) add(row.name, 400, row.channels == "stereo");
    return members;
}

// The first cell of a code (and second byte) in the table's map source, row by row.
std::optional<std::pair<int, int>> FirstCell(const TableCase& c, const TourEntry& e) {
    std::vector<maptools::Diagnostic> problems;
    const auto map = maptools::ParseMapSource(SourceText(std::string("assets/maps/") + c.mapSource), "", problems);
    for (int y = 0; y < maptools::kGridSize; ++y)
        for (int x = 0; x < maptools::kGridSize; ++x)
            if (map.grid.Code(x, y) == e.code && (e.number < 0 || map.grid.Number(x, y) == e.number))
                return std::pair{x, y};
    return std::nullopt;
}

std::string PlaceWord(std::pair<int, int> cell) {
    static const char* const words[3][3] = {
        {"upleft", "upmid", "upright"}, {"left", "middle", "right"}, {"lowleft", "lowmid", "lowright"}};
    auto third = [](int v) { return v < 16 ? 0 : v < 32 ? 1 : 2; };
    return std::string("sounds/tour/") + words[third(cell.second)][third(cell.first)] + ".wav";
}

class TourWalk : public GameTest, public ::testing::WithParamInterface<const TableCase*> {
protected:
    void SetUp() override {
        GameTest::SetUp();
        UseArchive(TourMembers(*GetParam()), false);
        WriteMenuLooseFiles();
    }
};

// T on the table's main-menu entry; Down once each entry's sound has
// started; Escape on the last entry, and again on the table's entry.
TEST_P(TourWalk, EveryEntrySaysItsCaptionAndPlaceThenPlaysItsMemberThereAndEscapeGoesBackToTheTable) {
    const TableCase& c = *GetParam();
    const Tour tour = TourOf(c);
    const auto manifest = Manifest();
    const int id = c.table.id;
    const std::string menuName = FactsOfTable(id).menuName;
    for (int t = 0; t <= id; ++t)
        platform.TapWhenSoundStarts(t == 0 ? "sounds/menu/mnuInstr.wav" : FactsOfTable(t).menuName,
                                    t == id ? scan::T : scan::Down);
    platform.OnYield([&, seen = size_t(0), entry = size_t(0), waiting = false, left = false]() mutable {
        const std::vector<SoundEvent>& log = platform.SoundLog();
        for (; seen < log.size(); ++seen) {
            const std::string& label = log[seen].label;
            if (log[seen].op != "play" && log[seen].op != "loop") continue;
            const uint64_t now = platform.NowMs();
            if (label == "sounds/menu/mnuTPrac.wav") platform.TapAt(now + 10, scan::Down);
            if (label == "sounds/menu/mnuETour.wav") left = true, platform.TapAt(now + 10, scan::Escape);
            if (left && label == menuName) platform.TapAt(now + 10, scan::Escape);
            if (entry < tour.entries.size() && label == tour.entries[entry].captionVoice) {
                waiting = true;
            } else if (waiting && UpperCase(label) == UpperCase(tour.entries[entry].member)) {
                waiting = false;
                ++entry;
                platform.TapAt(now + 100, scan::Down);
            }
        }
    });
    EXPECT_EQ(RunUntilExit(RunGame), 0);
    platform.OnYield(nullptr);

    const std::vector<SoundEvent>& log = platform.SoundLog();
    auto next = [&](size_t from, const std::string& label) {
        while (from < log.size() && !((log[from].op == "play" || log[from].op == "loop") &&
                                      UpperCase(log[from].label) == UpperCase(label)))
            ++from;
        return from;
    };
    size_t at = next(0, "sounds/menu/mnuTPrac.wav");
    for (size_t i = 0; i < tour.entries.size(); ++i) {
        const TourEntry& e = tour.entries[i];
        SCOPED_TRACE(e.member + " (line " + std::to_string(e.line) + ")");
        const size_t caption = next(at, e.captionVoice);
        at = next(caption, i + 1 < tour.entries.size() ? tour.entries[i + 1].captionVoice : "sounds/menu/mnuETour.wav");
        const size_t sound = next(caption + 1, e.member);
        ASSERT_LT(sound, at) << "no sound before the next entry";
        const auto cell = FirstCell(c, e);
        EXPECT_EQ(e.code >= 0, cell.has_value()) << "a place the map does not have";
        EXPECT_TRUE(!cell || next(caption, PlaceWord(*cell)) < sound) << "the place is not said";
        // Mono at its place (a sweep from the left edge), stereo as made; a loop stopped by the next entry.
        std::optional<int64_t> pan;
        bool stopped = e.play != TourPlay::Loop;
        for (size_t j = caption; j < at; ++j) {
            if (log[j].id != log[sound].id) continue;
            if (log[j].op == "pan" && j < sound) pan = log[j].value;
            stopped |= log[j].op == "stop" && j > sound;
        }
        if (manifest.at(UpperCase(e.member)).channels == "stereo") EXPECT_FALSE(pan);
        else EXPECT_EQ(pan, e.play == TourPlay::Sweep ? kPanLeft : cell ? PanFor(float(cell->first)) : 0);
        EXPECT_TRUE(stopped) << "the loop plays on into the next entry";
    }
    EXPECT_LT(next(next(0, "sounds/menu/mnuETour.wav"), menuName), log.size()) << "not back on the table's entry";
}

INSTANTIATE_TEST_SUITE_P(, TourWalk, ::testing::ValuesIn(kEveryTable), [](const auto& info) { return info.param->name; });

// What a table's rules can play (its holders, intro and extra ball, every
// member of its folder, the shared sounds of play) is all in its tour or
// left out on purpose, and every tour line names a member there is.
TEST(TourCoverage, EveryMemberTheTableCanPlayIsInItsTourOrLeftOutOnPurpose) {
    const auto manifest = Manifest();
    for (const TableCase* c : kEveryTable) {
        const TableDesc& t = c->table;
        std::set<std::string> playable;
        for (const auto& [name, row] : manifest)
            if (row.section.find("Shared sounds") != std::string::npos) playable.insert(name);
        // The menus' music and the pause's loop belong to no table.
        playable.erase("SOUNDS/MENU/MNUMUSIC.WAV");
        playable.erase("SOUNDS/PAUSEDLP.WAV");
        for (const TableSound& s : t.sounds) playable.insert(UpperCase(s.member));
        for (const char* m : {t.intro, t.extraBallVoice})
            if (m) playable.insert(UpperCase(m));
        const std::string folder = UpperCase(t.mapMember).substr(0, std::string(t.mapMember).find('/') + 1);
        for (const auto& [name, row] : manifest)
            if (name.rfind(folder, 0) == 0 && row.kind != "map" && name != UpperCase(FactsOfTable(t.id).description))
                playable.insert(name);
        const Tour tour = TourOf(*c);
        std::set<std::string> played, out;
        for (const TourEntry& e : tour.entries) played.insert(UpperCase(e.member));
        for (const TourEntry& e : tour.leftOut) out.insert(UpperCase(e.member));
        for (const std::set<std::string>* s : {&played, &out})
            for (const std::string& m : *s) EXPECT_TRUE(manifest.count(m)) << Key(*c) << ": no member " << m;
        size_t covered = 0;
        for (const std::string& m : playable) {
            EXPECT_TRUE(played.count(m) || out.count(m)) << Key(*c) << ": " << m << " is neither toured nor left out";
            covered += played.count(m);
        }
        std::printf("[ tour ] %s: %zu entries; %zu of the table's %zu members played, %zu left out\n",
                    Key(*c).c_str(), tour.entries.size(), covered, playable.size(), out.size());
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

// Four tilts (more than the balls), S, then Escape past the best score:
// every ball back, nothing stored or cheered, no setting changed.
TEST_P(Practice, EveryLostBallComesBackAndNothingIsStoredOrChanged) {
    BestScore[Table().id] = 1;
    SaveSettings();
    const auto stored = platform.StoredSettings();
    platform.OnYield([&, presses = 0, next = uint64_t(1000)]() mutable {
        if (platform.NowMs() < next || !platform.IsLabelPlaying("sounds/ball.wav")) return;
        Game.Score = std::max(Game.Score, 2.0);
        if (presses == 5) Game.Tilted = false;  // as if each ball had drained: the score would count
        platform.TapAt(platform.NowMs() + 1, presses < 4 ? scan::Return : presses == 4 ? scan::S : scan::Escape);
        ++presses;
        next = platform.NowMs() + 1500;
    });
    LaunchEveryBall(12);
    AnswerTheLastPrompt();
    EXPECT_TRUE(RunUntilMainMenu([&] { RunTable(Table(), true); }));
    platform.OnYield(nullptr);
    EXPECT_EQ(Count("sounds/tilt.wav"), 4);
    EXPECT_EQ(Count("sounds/v_PrBack.wav"), 4);
    EXPECT_EQ(Count("sounds/v_NHS.wav") + Count("sounds/v_NHTS.wav"), 0);
    EXPECT_TRUE(HeardInARow({"sounds/v_Prac.wav", "sounds/v_UHave.wav"}));  // then the table's own report
    EXPECT_EQ(platform.StoredSettings(), stored);
    EXPECT_FALSE(NamingHits());
    // A ball lost at the drain with none to spare comes back too.
    LoadTable();
    Game.Practice = true;
    Game.BallsLeft = 0;
    LaunchEveryBall(1);
    EXPECT_FALSE(RunUntilMainMenu([] {
        try {
            LoseBall();
        } catch (const RestartPlay&) {
        }
    }));
    EXPECT_EQ(Count("sounds/v_PrBack.wav"), 5);
}

INSTANTIATE_TEST_SUITE_P(, Practice, ::testing::ValuesIn(kEveryTable), [](const auto& info) { return info.param->name; });

// A bumper every tenth of a second for five seconds, with the option off
// and then on: no names, then one a second at most; a key cuts one short.
TEST_F(PacManTest, NamedHitsComeAtMostOnceASecondOnlyWhenAskedForAndAnyKeyCutsOne) {
    UseArchive(TourMembers(case_), true);
    std::string name;
    for (const TourEntry& e : TourOf(case_).entries)
        if (e.member == "sounds/bumper1.wav") name = e.shortVoice;
    auto hit = [] {
        OneShotsNoted noted;
        PlayAtBall(sndBumper1);
    };
    std::vector<uint64_t> said;
    for (uint8_t option : {0, 1}) {
        NameHits = option;
        LoadTable();
        PrepareNamedHits(Table());
        platform.ClearSoundLog();
        for (uint32_t from = GetTick(), last = from - 100; GetTick() - from < 5000; YieldToSystem(), NameLastHit()) {
            if (GetTick() - last >= 100) hit(), last = GetTick();
            sndBall.Play(true);  // a loop is never a hit
        }
        said.clear();
        for (const SoundEvent& e : platform.SoundLog())
            if (e.op == "play" && e.label == name) said.push_back(e.ms);
        EXPECT_EQ(said.empty(), option == 0);
    }
    EXPECT_GE(said.size(), 4u);
    EXPECT_LE(said.size(), 5u);
    // Game time moves in clock steps: a second of it may be a step short by the wall.
    for (size_t i = 1; i < said.size(); ++i) EXPECT_GE(said[i] - said[i - 1], kNamedHitGapMs - 16);
    Wait(kNamedHitGapMs);
    hit();
    NameLastHit();
    EXPECT_TRUE(platform.IsLabelPlaying(name));
    platform.SetKeyDown(scan::LeftShift, true);
    PollKeyboard();
    NameLastHit();
    EXPECT_FALSE(platform.IsLabelPlaying(name));
    platform.SetKeyDown(scan::LeftShift, false);
    NameHits = 0;
}

}  // namespace
}  // namespace tamblor::test
