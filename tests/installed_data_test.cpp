// Where the game's data is found: beside the program, else in the installed
// data folder; and the command line's --version and --help.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/command_line.h"
#include "core/data_paths.h"
#include "core/keyboard.h"
#include "core/startup.h"
#include "support/game_fixture.h"

namespace tamblor::test {
namespace {

namespace fs = std::filesystem;

// The order the folders are tried in is the one --help prints.
TEST(DataPathsTest, TheInstalledFolderSitsBesideTheProgramsFolder) {
    EXPECT_EQ(InstalledDataFolder("/usr/bin"), "/usr/share/tamblor");
    EXPECT_EQ(InstalledDataFolder("/opt/games/bin/"), "/opt/games/share/tamblor");
}

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
    // Runs the game, asks for the version once the menu has spoken, leaves.
    int RunAskingTheVersion() {
        platform.TapAt(6000, scan::V);
        platform.TapAt(30000, scan::Escape);
        return RunUntilExit(RunGame);
    }
    // What the version digits said, as "1.0.0".
    std::string SpokenVersion() {
        std::string spoken;
        for (const std::string& label : platform.Played()) {
            const std::string folder = "system\\initials\\";
            if (label.rfind(folder, 0) != 0) continue;
            std::string word = label.substr(folder.size(), label.size() - folder.size() - 4);
            spoken += word == "point" ? "." : word;
        }
        return spoken;
    }
    std::string installed;
};

TEST_F(InstalledDataTest, AnInstalledGameSpeaksFromItsDataFolderAndPrintsTheVersionItSpeaks) {
    Install();
    EXPECT_EQ(FindGameData(appFolder), installed);
    EXPECT_EQ(RunAskingTheVersion(), 0) << PlayedList();
    EXPECT_TRUE(platform.Messages().empty());
    // The archive's jingles and the loose version digits both came from there.
    EXPECT_NE(PlayedList().find("sounds/tamblor.wav"), std::string::npos);
    EXPECT_EQ(SpokenVersion(), "1.0.0");
    CommandLineAction version = ReadCommandLine({"--version"}, appFolder);
    EXPECT_FALSE(version.runGame);
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "Tamblor " + SpokenVersion() + "\n");
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
        EXPECT_EQ(platform.FlushCount(), 0);  // the settings are not touched
        EXPECT_TRUE(platform.StoredSettings().empty());
    }
}

TEST_F(InstalledDataTest, DataBesideTheProgramWinsOverAnInstalledCopy) {
    // An installed copy that cannot be read as an archive must not be chosen.
    fs::create_directories(installed);
    std::ofstream(installed + "/tamblor.tmb") << "not an archive";
    EXPECT_EQ(FindGameData(appFolder), appFolder);
    EXPECT_EQ(RunAskingTheVersion(), 0) << PlayedList();
    EXPECT_EQ(SpokenVersion(), "1.0.0");
}

TEST_F(InstalledDataTest, NoDataInEitherPlaceNamesBothAndEndsBeforeTouchingTheSettings) {
    fs::remove(appFolder + "/tamblor.tmb");
    EXPECT_EQ(RunUntilExit(RunGame), 1);
    ASSERT_EQ(platform.Messages().size(), 1u);
    EXPECT_NE(platform.Messages()[0].find("the sound archive tamblor.tmb cannot be used, because the file is "
                                          "missing: it is neither in " +
                                          appFolder + " nor in " + installed + ". "),
              std::string::npos)
        << platform.Messages()[0];
    EXPECT_EQ(platform.FlushCount(), 0);
    EXPECT_TRUE(platform.SoundLog().empty());
}

TEST(CommandLineTest, HelpNamesTheDataFoldersAndAnythingElseIsRefused) {
    CommandLineAction none = ReadCommandLine({}, "/usr/bin");
    EXPECT_TRUE(none.runGame);

    for (const char* option : {"--help", "-h"}) {
        CommandLineAction help = ReadCommandLine({option}, "/usr/bin");
        EXPECT_FALSE(help.runGame);
        EXPECT_EQ(help.status, 0);
        EXPECT_NE(help.out.find("--version"), std::string::npos);
        EXPECT_NE(help.out.find("  /usr/bin\n  /usr/share/tamblor\n"), std::string::npos) << help.out;
    }

    CommandLineAction unknown = ReadCommandLine({"--fullscreen"}, "/usr/bin");
    EXPECT_FALSE(unknown.runGame);
    EXPECT_EQ(unknown.status, 2);
    EXPECT_EQ(unknown.out, "");
    EXPECT_EQ(unknown.error, "tamblor: unexpected argument '--fullscreen'\nTry 'tamblor --help'.\n");

    CommandLineAction extra = ReadCommandLine({"--version", "now"}, "/usr/bin");
    EXPECT_EQ(extra.status, 2);
    EXPECT_EQ(extra.out, "");
    EXPECT_NE(extra.error.find("'now'"), std::string::npos);
}

}  // namespace
}  // namespace tamblor::test
