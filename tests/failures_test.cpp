// Failures the player must hear about: a damaged archive, a missing voice
// folder, every error report and a save that did not happen. (A second copy
// of the game: installed_data_test.cpp.)
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
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
using ::testing::ContainsRegex;
using ::testing::HasSubstr;
using ::testing::StartsWith;

class FailuresTest : public GameTest {
protected:
    std::string Archive() const { return appFolder + "/tamblor.tmb"; }
    std::string ReportFile() const { return DataFolder + "/" + kErrorReportFile; }
    // The first `size` bytes of an archive, as the game's archive file.
    void WriteArchive(const std::vector<uint8_t>& bytes, size_t size) const {
        std::ofstream(Archive(), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(size));
    }
};

TEST_F(FailuresTest, AnArchiveCutAfterFiveDirectoryEntriesEndsTheStartWithAMessageHeardAndFiled) {
    UseArchive(MenuMembers(), false);
    WriteLooseFile("system/errors/error.wav", 300);
    WriteLooseFile("system/errors/archive.wav", 900);
    std::vector<uint8_t> bytes = BuildArchive(MenuMembers());
    WriteArchive(bytes, size_t(ReadLe32(bytes.data() + 4)) + 5 * kArchiveEntrySize);

    EXPECT_EQ(RunUntilExit(RunGame), 1);
    ASSERT_EQ(platform.Messages().size(), 1u);
    const std::string& text = platform.Messages()[0];
    EXPECT_THAT(text, HasSubstr(Archive() + " cannot be used, because it is cut short: its directory lists " +
                                std::to_string(MenuMembers().size()) + " members, but only 5 are in the file"));
    EXPECT_THAT(text, HasSubstr(kSupportAddress));
    // Heard from the loose files (the archive is what failed), and kept.
    EXPECT_EQ(PlayedList(), "system/errors/error.wav,system/errors/archive.wav");
    EXPECT_THAT(ReadFile(ReportFile()), HasSubstr("it is cut short"));
    EXPECT_THAT(text, HasSubstr("This report is also saved in " + ReportFile()));
    EXPECT_EQ(platform.FlushCount(), 0);  // nothing touched the settings
}

TEST_F(FailuresTest, AnArchiveWithoutTheMenuVoicesOrWithABadEntryIsRefused) {
    std::vector<ArchiveMember> members = MenuMembers();
    std::erase_if(members, [](const ArchiveMember& m) {
        return m.name == "sounds/menu/mnuInstr.wav" || m.name == "sounds/ball.wav";
    });
    UseArchive(members, false);
    EXPECT_EQ(RunUntilExit(RunGame), 1);
    ASSERT_EQ(platform.Messages().size(), 1u);
    EXPECT_THAT(platform.Messages()[0],
                HasSubstr("lacks sounds the game cannot do without (sounds/ball.wav, sounds/menu/mnuInstr.wav)"));

    // A member that reaches past the end of the file.
    std::vector<uint8_t> bytes = BuildArchive(MenuMembers());
    size_t entry = size_t(ReadLe32(bytes.data() + 4)) + 3 * kArchiveEntrySize;
    WriteLe32(&bytes[entry + kArchiveNameField + 4], int32_t(bytes.size()));
    WriteArchive(bytes, bytes.size());
    EXPECT_EQ(RunUntilExit(RunGame), 1);
    EXPECT_THAT(platform.Messages().back(), HasSubstr("directory entry 4 (sounds/MultiHit.wav) is damaged"));
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
    ::testing::internal::CaptureStderr();
    ReportError("Announcement", 53, "gone");
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(platform.Messages().back(), StandardErrorText("Announcement", 53, "gone"));
    EXPECT_EQ(PlayedList(), "sounds/error.wav,sounds/errors/report.wav");
}

TEST_F(FailuresTest, AMemberTheArchiveLacksIsSkippedAndNamedOnceOnStandardError) {
    UseArchive(StandardMembers());
    ::testing::internal::CaptureStderr();
    PlaySound("heist/nothere.wav", 0, true);
    PlayAndWait("heist/nothere.wav");
    SoundSlot slot;
    CreateSoundBuffer(slot, "Heist/NotHere.wav");
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_THAT(err, HasSubstr("the archive holds no sound 'heist/nothere.wav'"));
    EXPECT_EQ(err.find("no sound", err.find("no sound") + 1), std::string::npos) << err;
    EXPECT_TRUE(platform.Played().empty());
    EXPECT_TRUE(platform.Messages().empty());
}

TEST_F(FailuresTest, ASaveThatFailsIsHeard) {
    UseArchive(StandardMembers());
    platform.FailFlushes(true);
    BestScore[kPacMan] = 250000;
    ::testing::internal::CaptureStderr();
    SaveSettings();
    EXPECT_THAT(::testing::internal::GetCapturedStderr(), HasSubstr("could not be saved"));
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
