// Where the game's data is found: beside the program, else in the installed
// data folder; and the command line's --version and --help.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

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
    std::string installed;
};

TEST_F(InstalledDataTest, AnInstalledGameSpeaksFromItsDataFolderAndPrintsTheVersionItSpeaks) {
    Install();
    EXPECT_EQ(FindGameData(appFolder), installed);
    platform.TapAt(6000, scan::V);  // once the menu has spoken
    platform.TapAt(30000, scan::Escape);
    EXPECT_EQ(RunUntilExit(RunGame), 0) << PlayedList();
    EXPECT_TRUE(platform.Messages().empty());
    // The archive's jingles and the loose version digits both came from there.
    EXPECT_THAT(Heard(), HasSubstr("mnuInstr 1 point 0 point 0 mnuExit"));
    CommandLineAction version = ReadCommandLine({"--version"}, appFolder);
    EXPECT_FALSE(version.runGame);
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "Tamblor 1.0.0\n");
    EXPECT_EQ(version.error, "");
}

TEST_F(InstalledDataTest, ASecondCopyRaisesTheFirstAndSaysItIsRunningFromBesideItOrTheInstalledArchive) {
    platform.SetOtherInstanceRunning(true);
    for (bool installedCopy : {false, true}) {
        SCOPED_TRACE(installedCopy ? "installed" : "beside the program");
        if (installedCopy) Install();
        platform.ClearSoundLog();
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(RunUntilExit(RunGame), 0);
        EXPECT_NE(::testing::internal::GetCapturedStderr().find("Tamblor is already running"), std::string::npos);
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
    platform.TapAt(6000, scan::V);
    platform.TapAt(30000, scan::Escape);
    EXPECT_EQ(RunUntilExit(RunGame), 0) << PlayedList();
    EXPECT_THAT(Heard(), HasSubstr("mnuInstr 1 point 0 point 0 mnuExit"));
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
    CommandLineAction none = ReadCommandLine({}, "/usr/bin");
    EXPECT_TRUE(none.runGame);

    for (const char* option : {"--help", "-h"}) {
        CommandLineAction help = ReadCommandLine({option}, "/usr/bin");
        EXPECT_FALSE(help.runGame);
        EXPECT_EQ(help.status, 0);
        EXPECT_THAT(help.out, HasSubstr("--version"));
        EXPECT_THAT(help.out, HasSubstr("  /usr/bin\n  /usr/share/tamblor\n"));
    }

    CommandLineAction unknown = ReadCommandLine({"--fullscreen"}, "/usr/bin");
    EXPECT_FALSE(unknown.runGame);
    EXPECT_EQ(unknown.status, 2);
    EXPECT_EQ(unknown.out, "");
    EXPECT_EQ(unknown.error, "tamblor: unexpected argument '--fullscreen'\nTry 'tamblor --help'.\n");

    CommandLineAction extra = ReadCommandLine({"--version", "now"}, "/usr/bin");
    EXPECT_EQ(extra.status, 2);
    EXPECT_EQ(extra.out, "");
    EXPECT_THAT(extra.error, HasSubstr("'now'"));
}

}  // namespace
}  // namespace tamblor::test
