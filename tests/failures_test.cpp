// Failures the player must hear about: a damaged archive, a missing voice
// folder, every error report and a save that did not happen. (A second copy
// of the game: installed_data_test.cpp.)
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "audio/archive.h"
#include "audio/archive_format.h"
#include "audio/sound.h"
#include "core/errors.h"
#include "core/keyboard.h"
#include "core/settings.h"
#include "core/start_checks.h"
#include "core/startup.h"
#include "support/files.h"
#include "support/game_fixture.h"

namespace tamblor::test {
namespace {

namespace fs = std::filesystem;
using ::testing::AllOf;
using ::testing::ContainsRegex;
using ::testing::HasSubstr;
using ::testing::StartsWith;

class FailuresTest : public GameTest {
protected:
    std::string Archive() const { return appFolder + "/tamblor.tmb"; }
    std::string ReportFile() const { return DataFolder + "/" + kErrorReportFile; }
};

// A damaged archive ends the start with a message, heard from the loose
// files (the archive is what failed) and kept, before anything touched the
// settings.
TEST_F(FailuresTest, ADamagedArchiveEndsTheStartWithAMessageHeardAndFiled) {
    WriteLooseFile("system/errors/error.wav", 300);
    WriteLooseFile("system/errors/archive.wav", 900);
    const std::vector<uint8_t> whole = BuildArchive(MenuMembers());
    const size_t directory = size_t(ReadLe32(whole.data() + 4));
    std::vector<uint8_t> pastEnd = whole;  // a member that reaches past the end of the file
    WriteLe32(&pastEnd[directory + 3 * kArchiveEntrySize + kArchiveNameField + 4], int32_t(whole.size()));
    std::vector<ArchiveMember> lacking = MenuMembers();
    std::erase_if(lacking, [](const ArchiveMember& m) {
        return m.name == "sounds/menu/mnuInstr.wav" || m.name == "sounds/ball.wav";
    });
    const struct {
        std::vector<uint8_t> bytes;
        std::string problem;
    } cases[] = {
        {{whole.begin(), whole.begin() + std::ptrdiff_t(directory + 5 * kArchiveEntrySize)},
         "it is cut short: its directory lists " + std::to_string(MenuMembers().size()) +
             " members, but only 5 are in the file"},
        {BuildArchive(lacking), "lacks sounds the game cannot do without (sounds/ball.wav, sounds/menu/mnuInstr.wav)"},
        {pastEnd, "directory entry 4 (sounds/MultiHit.wav) is damaged"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.problem);
        WriteFile(Archive(), {c.bytes.begin(), c.bytes.end()});
        platform.ClearSoundLog();
        const size_t before = platform.Messages().size();
        EXPECT_EQ(RunUntilExit(RunGame), 1);
        ASSERT_EQ(platform.Messages().size(), before + 1);
        EXPECT_THAT(platform.Messages().back(),
                    AllOf(HasSubstr(Archive() + " cannot be used, because "), HasSubstr(c.problem),
                          HasSubstr(kSupportAddress), HasSubstr("This report is also saved in " + ReportFile())));
        EXPECT_EQ(PlayedList(), "system/errors/error.wav,system/errors/archive.wav");
        EXPECT_THAT(ReadFile(ReportFile()), HasSubstr(c.problem));
        EXPECT_EQ(platform.FlushCount(), 0);
    }
}

TEST_F(FailuresTest, WithoutTheSystemFolderTheVersionKeySaysWhatIsMissingAndTheMenuGoesOn) {
    UseArchive(MenuMembers(), false);
    platform.TapAt(5000, scan::V);
    platform.TapAt(9000, scan::Down);
    platform.TapWhenSoundStarts("sounds/menu/mnuSS.wav", scan::Escape, 200);
    EXPECT_EQ(RunUntilExit(RunGame), 0) << PlayedList();

    ASSERT_EQ(platform.Messages().size(), 1u);  // once, for the folder, not once per file
    EXPECT_THAT(platform.Messages()[0], StartsWith("The folder " + appFolder +
                                                   "/system, which holds voices of the game's menus, is missing, "
                                                   "so the voice " +
                                                   appFolder + "/system/initials/1.wav cannot be played."));
    // The report, and the menu going on to its next entry and out.
    EXPECT_THAT(PlayedList(), ContainsRegex("sounds/error.wav,sounds/errors/nofile.wav,.*sounds/menu/mnuSS.wav.*"
                                            "sounds/menu/mnuExit.wav"));
}

TEST_F(FailuresTest, EveryErrorReportIsHeardAndKeptInTheFileItNames) {
    UseArchive(StandardMembers());
    ReportError("ScoreMenu", 9, "Subscript out of range");
    ReportError("KillBuffer", 5, "Invalid procedure call");
    EXPECT_EQ(PlayedList(), "sounds/error.wav,sounds/errors/report.wav,sounds/error.wav,sounds/errors/report.wav");
    ASSERT_EQ(platform.Messages().size(), 2u);
    std::string first = StandardErrorText("ScoreMenu", 9, "Subscript out of range");
    EXPECT_EQ(platform.Messages()[0], first + "  This report is also saved in " + ReportFile() + ".");
    std::string kept = ReadFile(ReportFile());
    EXPECT_THAT(kept, HasSubstr(first));
    EXPECT_THAT(kept, HasSubstr(StandardErrorText("KillBuffer", 5, "Invalid procedure call")));

    // A report file that cannot be written (a folder in its place) still
    // leaves the report seen and heard.
    fs::remove(ReportFile());
    fs::create_directory(ReportFile());
    platform.ClearSoundLog();
    StderrOf([] { ReportError("Announcement", 53, "gone"); });
    EXPECT_EQ(platform.Messages().back(), StandardErrorText("Announcement", 53, "gone"));
    EXPECT_EQ(PlayedList(), "sounds/error.wav,sounds/errors/report.wav");
}

TEST_F(FailuresTest, AMemberTheArchiveLacksIsSkippedAndNamedOnceOnStandardError) {
    UseArchive(StandardMembers());
    std::string err = StderrOf([] {
        PlaySound("heist/nothere.wav", 0, true);
        PlayAndWait("heist/nothere.wav");
        SoundSlot slot;
        CreateSoundBuffer(slot, "Heist/NotHere.wav");
    });
    EXPECT_THAT(err, HasSubstr("the archive holds no sound 'heist/nothere.wav'"));
    EXPECT_EQ(err.find("no sound", err.find("no sound") + 1), std::string::npos) << err;
    EXPECT_TRUE(platform.Played().empty());
    EXPECT_TRUE(platform.Messages().empty());
}

TEST_F(FailuresTest, ASaveThatFailsIsHeard) {
    UseArchive(StandardMembers());
    platform.FailFlushes(true);
    BestScore[kPacMan] = 250000;
    EXPECT_THAT(StderrOf(SaveSettings), HasSubstr("could not be saved"));
    EXPECT_EQ(PlayedList(), "sounds/error.wav,sounds/errors/notsaved.wav");
    EXPECT_EQ(platform.Stored("Settings", "HSPacMan"), "<absent>");

    // Once the store works again the next save keeps the score.
    platform.FailFlushes(false);
    platform.ClearSoundLog();
    SaveSettings();
    EXPECT_EQ(DecodeScore(platform.Stored("Settings", "HSPacMan"), "1.0"), 250000);
    EXPECT_TRUE(platform.Played().empty());
}

}  // namespace
}  // namespace tamblor::test
