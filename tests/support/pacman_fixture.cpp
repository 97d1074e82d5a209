#include "support/pacman_fixture.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "core/errors.h"
#include "core/startup.h"
#include "tables/pacman/pacman.h"
#include "tools/maptools/map_source.h"
#include "tools/maptools/map_writer.h"

namespace tamblor::test {

namespace fs = std::filesystem;

namespace {
// The sounds' lengths shape the game's timing as the player hears it: short
// cues, voices of a second or so, loops that run on.
const std::map<std::string, uint32_t>& StandIns() {
    static const std::map<std::string, uint32_t> lengths = {
        {"pacman/strtmuse.wav", 2000}, {"pacman/Siren.wav", 1000},   {"pacman/EatDot.wav", 80},
        {"pacman/GhostRun.wav", 1000}, {"pacman/EatFrGR.wav", 300},  {"pacman/EatFrS.wav", 300},
        {"pacman/Swoosh.wav", 300},    {"pacman/lvlMusic.wav", 2500}, {"pacman/FruitPr.wav", 500},
        {"pacman/ghostrtn.wav", 500},  {"pacman/ScanGhst.wav", 60},  {"pacman/ScanFrt.wav", 60},
        {"pacman/ScanPUp.wav", 60},    {"pacman/ScanTunl.wav", 60},  {"pacman/powerup.wav", 800},
        {"pacman/eatghost.wav", 600},  {"pacman/pacdie.wav", 1500},  {"pacman/BonusLif.wav", 900},
        {"pacman/TableCom.wav", 1200}, {"pacman/v_NOTC.wav", 500},   {"pacman/v_Table.wav", 300},
        {"pacman/v_Tables.wav", 300},  {"sounds/v_Launch.wav", 800}, {"sounds/LReady.wav", 300},
        {"sounds/BLaunch.wav", 300},   {"sounds/v_UHave.wav", 300},  {"sounds/v_Points.wav", 300},
        {"sounds/v_BLeft.wav", 400},   {"sounds/v_BsLeft.wav", 400}, {"sounds/v_GOver.wav", 600},
        {"sounds/v_NHTS.wav", 900},    {"sounds/v_YSW.wav", 400},    {"sounds/v_PAKTC.wav", 700},
        {"sounds/tilt.wav", 400},      {"sounds/Paused.wav", 500},   {"sounds/Resumed.wav", 300},
        {"sounds/v_NHS.wav", 700},     {"sounds/ScanBeep.wav", 40},  {"sounds/ScanTrig.wav", 60},
    };
    return lengths;
}

bool Stereo(const std::string& member) {
    return member == "pacman/strtmuse.wav" || member == "sounds/BLaunch.wav" || member.rfind("sounds/taunt_", 0) == 0;
}
}  // namespace

uint32_t PacManSoundMs(const std::string& member) {
    auto it = StandIns().find(member);
    return it != StandIns().end() ? it->second : 200;
}

std::string CompiledPacManMap() {
    fs::path source = fs::path(__FILE__).parent_path().parent_path().parent_path() / "assets/maps/pacman/pacman.mapsrc";
    std::ifstream in(source, std::ios::binary);
    EXPECT_TRUE(in.good()) << "cannot read " << source;
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<maptools::Diagnostic> problems;
    maptools::MapSource parsed = maptools::ParseMapSource(text, source.string(), problems);
    if (problems.empty()) problems = maptools::CheckMapRules(parsed);
    for (const maptools::Diagnostic& d : problems) ADD_FAILURE() << d.Text();
    return maptools::WriteGameMap(parsed.grid);
}

std::vector<ArchiveMember> PacManMembers() {
    std::vector<ArchiveMember> members = StandardMembers();
    for (ArchiveMember& m : members) {
        auto it = StandIns().find(m.name);
        if (it != StandIns().end()) m.bytes = SoundMember(it->second);
    }
    for (const auto& [name, ms] : StandIns()) {
        bool present = false;
        for (const ArchiveMember& m : members) present = present || m.name == name;
        if (!present) members.push_back({name, SoundMember(ms, Stereo(name) ? 2 : 1)});
    }
    for (int n = 0; n <= 6; ++n) members.push_back({"sounds/taunt_0" + std::to_string(n) + ".wav", SoundMember(1000, 2)});
    std::string map = CompiledPacManMap();
    members.push_back({"pacman/pacman.map", std::vector<uint8_t>(map.begin(), map.end())});
    return members;
}

void PacManTest::SetUp() {
    GameTest::SetUp();
    UseArchive(PacManMembers(), false);
    InitGame();  // the shared sounds, the settings and the jingles, as at start-up
    platform.ClearSoundLog();
}

void PacManTest::TearDown() {
    // The table's holders outlive this test's platform: empty them with it.
    pacman::UnloadPacMan();
    GameTest::TearDown();
}

void PacManTest::LoadTable() { LoadPacMan(); }

std::vector<std::string> PacManTest::Ops(const std::string& label) const {
    std::vector<std::string> out;
    for (const SoundEvent& e : platform.SoundLog())
        if (e.label == label) out.push_back(e.op + ":" + std::to_string(e.value));
    return out;
}

std::vector<std::string> PacManTest::StartedSince(size_t from) const {
    std::vector<std::string> out;
    const std::vector<SoundEvent>& log = platform.SoundLog();
    for (size_t i = from; i < log.size(); ++i)
        if (log[i].op == "play" || log[i].op == "loop") out.push_back(log[i].label);
    return out;
}

bool PacManTest::RunUntilMainMenu(const std::function<void()>& body) {
    try {
        body();
    } catch (const ReturnToMainMenu&) {
        return true;
    } catch (const ScriptTimeout& timeout) {
        ADD_FAILURE() << "the script ran out of time at " << timeout.atMs << " ms";
    }
    return false;
}

}  // namespace tamblor::test
