#include "support/table_fixture.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "audio/voice_text.h"
#include "core/errors.h"
#include "core/keyboard.h"
#include "core/settings.h"
#include "core/startup.h"
#include "platform/platform.h"
#include "table/table.h"
#include "tools/maptools/map_source.h"
#include "tools/maptools/map_writer.h"

namespace tamblor::test {

namespace fs = std::filesystem;

namespace {
// The shared in-play prompts and reports every table plays.
const std::map<std::string, uint32_t> kSharedLengths = {
    {"sounds/v_Launch.wav", 800}, {"sounds/LReady.wav", 300},  {"sounds/BLaunch.wav", 300},
    {"sounds/v_UHave.wav", 300},  {"sounds/v_Points.wav", 300}, {"sounds/v_BLeft.wav", 400},
    {"sounds/v_BsLeft.wav", 400}, {"sounds/v_GOver.wav", 600},  {"sounds/v_NHTS.wav", 900},
    {"sounds/v_YSW.wav", 400},    {"sounds/v_PAKTC.wav", 700},  {"sounds/tilt.wav", 400},
    {"sounds/Paused.wav", 500},   {"sounds/Resumed.wav", 300},  {"sounds/v_NHS.wav", 700},
    {"sounds/ScanBeep.wav", 40},  {"sounds/ScanTrig.wav", 60},  {"sounds/flush.wav", 600},
    {"sounds/PadOn.wav", 500},    {"sounds/PadOff.wav", 500},
};

uint32_t LengthOf(const StandInSounds& sounds, const std::string& member) {
    auto it = sounds.lengthsMs.find(member);
    if (it != sounds.lengthsMs.end()) return it->second;
    auto shared = kSharedLengths.find(member);
    return shared != kSharedLengths.end() ? shared->second : 200;
}
}  // namespace

std::string Member(const std::string& folder, const std::string& name) {
    return name.find('/') != std::string::npos ? name : folder + "/" + name + ".wav";
}

StandInSounds StandIns(const std::string& folder, std::initializer_list<std::pair<const char*, uint32_t>> lengthsMs,
                       std::initializer_list<const char*> stereo) {
    StandInSounds s;
    for (const auto& [name, ms] : lengthsMs) s.lengthsMs.emplace(Member(folder, name), ms);
    for (const char* name : stereo) s.stereo.insert(Member(folder, name));
    return s;
}

ArchiveMember ManifestVoiceTexts() {
    std::ifstream in(std::string(TAMBLOR_SOURCE_DIR) + "/assets/manifest.tsv");
    std::string table;
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> f;
        std::stringstream fields(line);
        for (std::string x; std::getline(fields, x, '\t');)
            if (!x.empty()) f.push_back(x);
        if (line.empty() || line[0] == '#' || f.size() < 4 || (f[2] != "say" && f[2] != "word")) continue;
        for (size_t bar; (bar = f[3].find(" | ")) != std::string::npos;) f[3].replace(bar, 3, " ");
        table += f[0] + "\t" + f[2] + "\t" + f[3] + "\n";
    }
    return {kVoiceTextMember, {table.begin(), table.end()}};
}

std::string CompiledMap(const std::string& source) {
    fs::path path = fs::path(TAMBLOR_SOURCE_DIR) / "assets/maps" / source;
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.good()) << "cannot read " << path;
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<maptools::Diagnostic> problems;
    maptools::MapSource parsed = maptools::ParseMapSource(text, path.string(), problems);
    if (problems.empty()) problems = maptools::CheckMapRules(parsed);
    for (const maptools::Diagnostic& d : problems) ADD_FAILURE() << d.Text();
    return maptools::WriteGameMap(parsed.grid);
}

std::vector<ArchiveMember> TableMembers(const TableDesc& table, const StandInSounds& sounds,
                                        const std::string& mapSource) {
    std::vector<ArchiveMember> members = StandardMembers();
    auto add = [&](const std::string& name) {
        const uint16_t channels = sounds.stereo.count(name) ? 2 : 1;
        for (ArchiveMember& m : members)
            if (m.name == name) {
                m.bytes = SoundMember(LengthOf(sounds, name), channels);
                return;
            }
        members.push_back({name, SoundMember(LengthOf(sounds, name), channels)});
    };
    for (const auto& [name, ms] : kSharedLengths) add(name);
    for (const auto& [name, ms] : sounds.lengthsMs) add(name);
    for (const TableSound& s : table.sounds) add(s.member);
    if (table.intro) add(table.intro);
    if (table.extraBallVoice) add(table.extraBallVoice);
    for (int n = 0; n <= 6; ++n) members.push_back({"sounds/taunt_0" + std::to_string(n) + ".wav", SoundMember(1000, 2)});
    std::string map = CompiledMap(mapSource);
    members.push_back({table.mapMember, std::vector<uint8_t>(map.begin(), map.end())});
    return members;
}

std::vector<ArchiveMember> ProgramMembers(const TableCase& table) {
    std::vector<ArchiveMember> members = TableMembers(table.table, table.sounds(), table.mapSource);
    for (ArchiveMember& m : MenuMembers()) members.push_back(std::move(m));
    return members;
}

void TableTest::SetUp() {
    GameTest::SetUp();
    sounds_ = case_.sounds();
    UseArchive(TableMembers(Table(), sounds_, case_.mapSource), false);
    InitGame();  // the shared sounds, the settings and the jingles, as at start-up
    platform.ClearSoundLog();
}

void TableTest::TearDown() {
    platform.OnYield(nullptr);
    // The table's holders outlive this test's platform: empty them with it.
    UnloadTable(Table());
    GameTest::TearDown();
}

void TableTest::LoadTable() { tamblor::LoadTable(Table()); }

void TableTest::BeginPlay(uint8_t mode) {
    GameMode = mode;
    LoadTable();
    Game.GameRunning = true;  // as the ball entry sets it
    if (Table().startOfPlay) Table().startOfPlay();
    platform.ClearSoundLog();
}

void TableTest::Put(float x, float y, float direction, float speed) { Ball = {x, y, direction, speed}; }

void TableTest::StepAt(float x, float y, float direction, float speed) {
    Put(x, y, direction, speed);
    Table().handleCell();
}

bool TableTest::KeysWith(uint8_t key) {
    CommandKeysReleased = true;
    platform.SetKeyDown(key, true);
    PollKeyboard();
    const bool restarted = Restarts(InPlayKeys);
    platform.SetKeyDown(key, false);
    PollKeyboard();
    return Restarts(InPlayKeys) || restarted;
}

int TableTest::Count(const std::string& label) const {
    const std::vector<std::string> heard = platform.Played();
    return int(std::count(heard.begin(), heard.end(), label));
}

int TableTest::CountSince(size_t from, const std::string& label) const {
    const std::vector<std::string> heard = StartedSince(from);
    return int(std::count(heard.begin(), heard.end(), label));
}

::testing::AssertionResult TableTest::HeardInARow(const std::vector<std::string>& labels, size_t from) const {
    const std::vector<std::string> heard = from == SIZE_MAX ? platform.Played() : StartedSince(from);
    const auto at = std::search(heard.begin(), heard.end(), labels.begin(), labels.end());
    if (at != heard.end() && (from == SIZE_MAX || at == heard.begin())) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << ::testing::PrintToString(labels) << " not in "
                                         << ::testing::PrintToString(heard);
}

::testing::AssertionResult TableTest::BallAt(float x, float y) const {
    if (Ball.X == x && Ball.Y == y) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the ball is at (" << Ball.X << ", " << Ball.Y << ")";
}

uint32_t TableTest::SoundMs(const std::string& member) const { return LengthOf(sounds_, member); }

bool TableTest::HasOp(const std::string& label, const std::string& op) const {
    const std::vector<std::string> ops = Ops(label);
    return std::find(ops.begin(), ops.end(), op) != ops.end();
}

::testing::AssertionResult TableTest::SilencedThenBackAt(const std::string& label, int volume) const {
    const std::vector<std::string> ops = Ops(label);
    if (HasOp(label, "volume:-10000") && ops.back() == "volume:" + std::to_string(volume))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << label << ": " << ::testing::PrintToString(ops);
}

namespace {
// True when `body` left by throwing `Leave`.
template <typename Leave>
bool LeavesBy(const std::function<void()>& body) {
    try {
        body();
    } catch (const Leave&) {
        return true;
    }
    return false;
}
}  // namespace

bool TableTest::RunUntilMainMenu(const std::function<void()>& body) {
    try {
        return LeavesBy<ReturnToMainMenu>(body);
    } catch (const ScriptTimeout& timeout) {
        ADD_FAILURE() << "the script ran out of time at " << timeout.atMs << " ms";
    }
    return false;
}

bool TableTest::Restarts(const std::function<void()>& body) { return LeavesBy<RestartPlay>(body); }

void TableTest::Wait(uint32_t ms) {
    uint32_t from = GetTick();
    while (GetTick() - from <= ms) YieldToSystem();
}

void TableTest::TimersAfter(uint32_t ms) {
    Wait(ms);
    Table().timers();
}

void TableTest::TapAtSweepPosition(int i, uint8_t key) {
    const uint64_t start = platform.NowMicros() / kTickQuantumMicros * kTickQuantumMicros;
    platform.TapAt((start + uint64_t(i) * 10 * kTickQuantumMicros) / 1000 + 60, key, 30);
}

float TableTest::ShootFromTheDrain(uint8_t side, int position, float row) {
    const uint64_t chosen = platform.NowMs() + 80;  // the sweep starts once the choosing key is up
    platform.TapAt(chosen - 30, side, 30);
    platform.TapAt(chosen + 80 + uint64_t(position) * 125, scan::RightShift, 30);
    EXPECT_FALSE(Restarts([&] { StepAt(25, row, heading::Down, 1.0f); }));
    Wait(100);
    return Ball.Direction;
}

void TableTest::LaunchEveryBall(int prompts) {
    for (int i = 0; i < prompts; ++i) platform.TapWhenSoundStarts("sounds/LReady.wav", scan::Space, 10, 500);
}

void TableTest::AnswerTheLastPrompt(uint8_t key) { platform.TapWhenSoundStarts("sounds/v_PAKTC.wav", key, 10, 1000); }

}  // namespace tamblor::test
