// What others may leave in the game's folders: links planted where the game
// writes, FIFOs and folders where it expects files, stale temporaries and
// a settings file with one bad line. Nothing may be written through a link,
// nothing may hang, and no readable setting may be lost.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <future>

#include "audio/archive.h"
#include "core/keyboard.h"
#include "core/settings.h"
#include "core/startup.h"
#include "platform/ini_store.h"
#include "support/files.h"
#include "support/game_fixture.h"
#include "table/table_map.h"
#include "tools/maptools/map_writer.h"

namespace tamblor::test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

// Puts a FIFO at `fifo` and runs `body`, which comes upon it and must end
// within a few seconds; returns what it wrote to standard error. When it
// does not end, the FIFO is poked until it does, so that the test fails
// instead of hanging: the first poke opens its other end (a blocked open
// returns), the next closes it again (a blocked read sees the end; a write
// fails rather than raising SIGPIPE).
std::string StderrOnAFifo(const std::string& fifo, const std::function<void()>& body) {
    EXPECT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ::signal(SIGPIPE, SIG_IGN);
    ::testing::internal::CaptureStderr();
    std::future<void> done = std::async(std::launch::async, body);
    EXPECT_EQ(done.wait_for(std::chrono::seconds(3)), std::future_status::ready) << fifo << " held it up";
    int otherEnd = -1;
    while (done.wait_for(std::chrono::milliseconds(100)) != std::future_status::ready) {
        if (otherEnd == -1) {
            otherEnd = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
        } else if (otherEnd >= 0) {
            ::close(otherEnd);
            otherEnd = -2;
        }
    }
    if (otherEnd >= 0) ::close(otherEnd);
    std::string err = ::testing::internal::GetCapturedStderr();
    done.get();  // what it threw, if anything
    return err;
}

class HostileFilesTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        target = root + "/precious.txt";
        WriteFile(target, "precious");
        fs::create_directories(settingsFolder());
    }
    void PlantLink(const std::string& path) { fs::create_symlink(target, path); }
    // A save of one option through a store of the settings folder.
    void SaveGameMode(IniSettingsStore& store) {
        store.Set("VKM222005", "Settings", "GameMode", "1");
        store.Flush();
    }
    std::string settingsFolder() const { return root + "/config"; }
    std::string settingsFile() const { return settingsFolder() + "/VKM222005.ini"; }

    std::string target;
};

TEST_F(HostileFilesTest, ExtractingReplacesLinksUnderEveryCaseOfTheNameButRefusesAFifoOrFolder) {
    std::string map = "the map\r\n";
    UseArchive({{"pacman/pacman.map", {map.begin(), map.end()}}});
    for (const char* name : {"pacman.map", "PACMAN.MAP", "PacMan.Map"}) PlantLink(DataFolder + "/" + name);

    ExtractMember("pacman/pacman.map");
    ExtractMember("pacman/absent.map");  // unknown: nothing happens
    EXPECT_EQ(ReadFile(target), "precious");
    ASSERT_EQ(NamesIn(DataFolder), std::vector<std::string>{"PACMAN.MAP"});
    EXPECT_EQ(ReadFile(ExtractedPath("pacman.map")), map);
    EXPECT_TRUE(platform.Messages().empty());

    // A FIFO or a folder under the name is refused at once.
    fs::remove(DataFolder + "/PACMAN.MAP");
    std::string fifo = DataFolder + "/Pacman.map";
    StderrOnAFifo(fifo, [] { ExtractMember("pacman/pacman.map"); });
    ASSERT_EQ(platform.Messages().size(), 1u);
    EXPECT_THAT(platform.Messages()[0], HasSubstr("Pacman.map is a named pipe (FIFO), not a plain file"));

    fs::remove(fifo);
    fs::create_directory(DataFolder + "/PACMAN.MAP");
    ExtractMember("pacman/pacman.map");
    EXPECT_EQ(platform.Messages().size(), 2u);
    EXPECT_TRUE(fs::is_directory(DataFolder + "/PACMAN.MAP"));
}

TEST_F(HostileFilesTest, TheMapListingIsNeverWrittenThroughALinkOrIntoAFifo) {
    std::string map = maptools::WriteGameMap(maptools::MapGrid{});
    UseArchive({{"test/plain.map", {map.begin(), map.end()}}});
    std::string listing = DataFolder + "/" + kMapListingFileName;
    PlantLink(listing);
    LoadMapMember("test/plain.map", "plain.map");
    EXPECT_EQ(ReadFile(target), "precious");
    EXPECT_EQ(ReadFile(listing), MapCodeListing());

    fs::remove(listing);
    EXPECT_THAT(StderrOnAFifo(listing, [] { LoadMapMember("test/plain.map", "plain.map"); }),
                HasSubstr("lastmap.txt is a named pipe"));
    EXPECT_TRUE(platform.Messages().empty());  // only a diagnostic: no box for it
}

// A link at the settings path is replaced, never written through; a FIFO or
// a folder there gives the defaults at once and is left as it is.
TEST_F(HostileFilesTest, TheSettingsPathReplacesALinkButLeavesAFifoOrAFolderAndGivesDefaults) {
    PlantLink(settingsFile());
    IniSettingsStore linked(settingsFolder());
    SaveGameMode(linked);
    EXPECT_EQ(ReadFile(target), "precious");
    EXPECT_THAT(ReadFile(settingsFile()), HasSubstr("GameMode=1"));

    fs::remove(settingsFile());
    auto readAndSave = [&] {
        IniSettingsStore store(settingsFolder());
        EXPECT_EQ(store.Get("VKM222005", "Settings", "GameMode", "0"), "0");
        SaveGameMode(store);
    };
    EXPECT_THAT(StderrOnAFifo(settingsFile(), readAndSave), HasSubstr("is a named pipe (FIFO), not a file"));
    EXPECT_TRUE(fs::is_fifo(settingsFile()));

    fs::remove(settingsFile());
    fs::create_directory(settingsFile());
    WriteFile(settingsFile() + "/inside", "kept");
    StderrOf(readAndSave);
    EXPECT_EQ(ReadFile(settingsFile() + "/inside"), "kept");  // not moved, not replaced
}

TEST_F(HostileFilesTest, StaleSaveTemporariesAreRemovedAtTheFirstRead) {
    std::string stale = settingsFile() + ".tmp-Ab12Cd";
    std::string fresh = settingsFile() + ".tmp-Ef34Gh";
    std::string other = settingsFolder() + "/other.ini.tmp-Ij56Kl";
    for (const std::string& p : {stale, fresh, other}) WriteFile(p, "half a save");
    auto hourAgo = fs::file_time_type::clock::now() - std::chrono::hours(1);
    fs::last_write_time(stale, hourAgo);
    fs::last_write_time(other, hourAgo);

    IniSettingsStore store(settingsFolder());
    store.Get("VKM222005", "Settings", "GameMode", "0");
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(fresh));  // may be another copy's save in progress
    EXPECT_TRUE(fs::exists(other));  // not this store's
}

TEST_F(HostileFilesTest, OneBadLineCostsOnlyItselfAndThePlayerHearsAboutIt) {
    UseArchive(StandardMembers(), false);
    std::string text = "; Tamblor settings\n[Settings]\nVersion=1.0\nGameMode=1\nHSPacMan=" +
                       EncodeScore(120000, "1.0") + "\nthis line is not a setting\nHSWildWest=" +
                       EncodeScore(4500, "1.0") + "\n[Scores]\n0I=ABC\n";
    WriteFile(settingsFile(), text);
    IniSettingsStore store(settingsFolder());
    Platform services = platform.Services();
    services.settings = &store;
    InstallPlatform(services);

    platform.TapAt(6000, scan::Escape);
    EXPECT_THAT(StderrOf([this] { EXPECT_EQ(RunUntilExit(RunGame), 0); }),
                HasSubstr("1 line of the settings file " + settingsFile() + " could not be read (line 6)"));
    EXPECT_EQ((std::vector<double>{BestScore[kPacMan], BestScore[kWildWest], double(GameMode)}),
              (std::vector<double>{120000, 4500, 1}));
    EXPECT_EQ(ScoreBoard[0].initials, "ABC");
    // Heard at start-up, before the jingles.
    std::string played = PlayedList();
    EXPECT_EQ(played.rfind("sounds/error.wav,sounds/errors/settings.wav,sounds/vrenn.wav", 0), 0u) << played;

    // The file as it was stays beside the new one, bad line and all.
    std::vector<std::string> copies;
    for (const auto& item : fs::directory_iterator(settingsFolder()))
        if (item.path().filename().string().starts_with("VKM222005.ini.bad-")) copies.push_back(ReadFile(item.path()));
    EXPECT_EQ(copies, std::vector<std::string>{text});
    IniData saved;
    EXPECT_TRUE(ParseIni(ReadFile(settingsFile()), saved));
    EXPECT_EQ(saved["Settings"]["HSPacMan"], EncodeScore(120000, "1.0"));
}

TEST_F(HostileFilesTest, LinesUnderABrokenSectionHeaderAreSetAsideToo) {
    IniData data;
    std::vector<size_t> bad;
    EXPECT_EQ(ParseIniKeeping("[Settings]\nA=1\n[Scores\n0I=XYZ\n\n[Scores]\n1I=DEF\n", data, &bad), 2u);
    EXPECT_EQ(bad, (std::vector<size_t>{3, 4}));
    // 0I is not misfiled under the section before.
    EXPECT_EQ(data, (IniData{{"Settings", {{"A", "1"}}}, {"Scores", {{"1I", "DEF"}}}}));
}

}  // namespace
}  // namespace tamblor::test
