// Where the game's data is found: beside the program, else in the installed
// data folder; and the command line's --version and --help.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "core/command_line.h"
#include "core/data_paths.h"
#include "core/keyboard.h"
#include "core/startup.h"
#include "support/files.h"
#include "support/game_fixture.h"

namespace tamblor::test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

class InstalledDataTest : public MenuGameTest {
protected:
    void SetUp() override {
        MenuGameTest::SetUp();
        installed = root + "/share/tamblor";  // appFolder is root/app
    }
    // Moves the archive and the loose folders into the installed folder.
    void Install() {
        fs::create_directories(installed);
        fs::rename(appFolder + "/tamblor.tmb", installed + "/tamblor.tmb");
        fs::rename(appFolder + "/system", installed + "/system");
    }
    // Asks the main menu for the version, which it speaks from the data found.
    void HearVersion() {
        platform.TapAt(6000, scan::V);
        platform.TapAt(30000, scan::Escape);
        EXPECT_EQ(RunUntilExit(RunGame), 0) << PlayedList();
        EXPECT_THAT(Heard(), HasSubstr("mnuInstr 1 point 0 point 0 mnuExit"));
    }
    std::string installed;
};

TEST_F(InstalledDataTest, AnInstalledGameSpeaksFromItsDataFolder) {
    Install();
    EXPECT_EQ(FindGameData(appFolder), installed);
    HearVersion();
    EXPECT_TRUE(platform.Messages().empty());
}

TEST_F(InstalledDataTest, ASecondCopyRaisesTheFirstAndSaysItIsRunningFromBesideItOrTheInstalledArchive) {
    platform.SetOtherInstanceRunning(true);
    for (bool installedCopy : {false, true}) {
        SCOPED_TRACE(installedCopy ? "installed" : "beside the program");
        if (installedCopy) Install();
        platform.ClearSoundLog();
        EXPECT_THAT(StderrOf([this] { EXPECT_EQ(RunUntilExit(RunGame), 0); }),
                    HasSubstr("Tamblor is already running"));
        EXPECT_TRUE(platform.ActivatedOtherInstance());
        EXPECT_EQ(PlayedList(), "sounds/errors/running.wav");
        EXPECT_EQ(platform.LiveBuffers(), 0);
        EXPECT_TRUE(platform.StoredSettings().empty());  // the settings are not touched
    }
}

TEST_F(InstalledDataTest, DataBesideTheProgramWinsOverAnInstalledCopy) {
    // An installed copy that cannot be read as an archive must not be chosen.
    fs::create_directories(installed);
    WriteFile(installed + "/tamblor.tmb", "not an archive");
    EXPECT_EQ(FindGameData(appFolder), appFolder);
    HearVersion();
}

TEST_F(InstalledDataTest, NoDataInEitherPlaceNamesBothAndEndsBeforeTouchingTheSettings) {
    fs::remove(appFolder + "/tamblor.tmb");
    EXPECT_EQ(RunUntilExit(RunGame), 1);
    ASSERT_EQ(platform.Messages().size(), 1u);
    EXPECT_THAT(platform.Messages()[0], HasSubstr("the sound archive tamblor.tmb cannot be used, because the file is "
                                                  "missing: it is neither in " +
                                                  appFolder + " nor in " + installed + ". "));
    EXPECT_EQ(platform.FlushCount(), 0);
    EXPECT_TRUE(platform.SoundLog().empty());
}

// The installed folder sits beside the program's folder; the order the
// folders are tried in is the one --help prints.
TEST(CommandLineTest, HelpNamesTheDataFoldersAndAnythingElseIsRefused) {
    EXPECT_EQ(InstalledDataFolder("/opt/games/bin/"), "/opt/games/share/tamblor");
    const std::string refused = "'\nTry 'tamblor --help'.\n";
    const struct {
        std::vector<std::string> args;
        int status;              // -1: the game runs
        std::string out, error;  // out: a part of it
    } cases[] = {
        {{}, -1, "", ""},
        {{"--version"}, 0, "Tamblor 1.0.0\n", ""},
        {{"--help"}, 0, "  /usr/bin\n  /usr/share/tamblor\n", ""},
        {{"-h"}, 0, "  --version", ""},
        {{"--fullscreen"}, 2, "", "tamblor: unexpected argument '--fullscreen" + refused},
        {{"--version", "now"}, 2, "", "tamblor: unexpected argument 'now" + refused},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.empty() ? "no arguments" : c.args[0]);
        CommandLineAction action = ReadCommandLine(c.args, "/usr/bin");
        EXPECT_EQ(action.runGame, c.status == -1);
        EXPECT_EQ(action.status, std::max(c.status, 0));
        EXPECT_EQ(action.out.empty(), c.out.empty());
        EXPECT_THAT(action.out, HasSubstr(c.out));
        EXPECT_EQ(action.error, c.error);
    }
}

}  // namespace
}  // namespace tamblor::test
