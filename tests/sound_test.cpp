// The sound holders, the voice players and the sound error path.
#include <gtest/gtest.h>

#include <algorithm>

#include "audio/archive.h"
#include "audio/sound.h"
#include "core/keyboard.h"
#include "support/game_fixture.h"

namespace tamblor::test {
namespace {

class SoundTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        std::vector<ArchiveMember> members = StandardMembers();
        members.push_back({"voices/a.wav", SoundMember(500)});
        members.push_back({"voices/b.wav", SoundMember(500)});
        members.push_back({"voices/story.wav", SoundMember(3000, 2)});
        members.push_back({"voices/exact.wav", std::vector<uint8_t>(244, 7)});
        members.push_back({"voices/tiny.wav", std::vector<uint8_t>(200, 7)});
        UseArchive(members);
    }
    const SoundEvent* Find(const std::string& op, const std::string& label) {
        for (const SoundEvent& e : platform.SoundLog())
            if (e.op == op && e.label == label) return &e;
        return nullptr;
    }
};

// (The frames a holder is made with: HearingMenus; a holder made again
// releases the buffer it had: the live buffers of MenuTest.)
TEST_F(SoundTest, AVoiceCutsThePreviousOneWaitingLastsItsLengthAndAMissingOneIsSilent) {
    PlaySound("voices/a.wav", -400, false);
    EXPECT_TRUE(platform.IsLabelPlaying("voices/a.wav"));
    uint64_t start = platform.NowMs();
    PlaySound("voices/b.wav", 1200, true);
    EXPECT_FALSE(platform.IsLabelPlaying("voices/a.wav"));
    EXPECT_NE(Find("release", "voices/a.wav"), nullptr);
    EXPECT_NEAR(double(platform.NowMs() - start), 500, 3);
    EXPECT_EQ(Find("pan", "voices/b.wav")->value, 1200);
    EXPECT_EQ(Find("volume", "voices/b.wav")->value, 0);

    start = platform.NowMs();
    PlaySound("voices/missing.wav", 0, true);  // nothing to wait for
    PlayStereo("voices/missing.wav", true);
    PlayAndWait("voices/missing.wav");
    EXPECT_EQ(platform.NowMs(), start);
    // A holder of a missing member stays silent and takes every call.
    SoundSlot empty;
    CreateSoundBuffer(empty, "voices/missing.wav");
    EXPECT_TRUE(empty.Empty());
    empty.Play(true);
    StopBuffer(empty);
    KillBuffer(empty);
    EXPECT_TRUE(platform.Messages().empty());

    // No key can shorten a waited PlaySound.
    platform.TapAt(platform.NowMs() + 50, scan::Escape);
    start = platform.NowMs();
    PlaySound("voices/a.wav", 0, true);
    EXPECT_GE(platform.NowMs() - start, 499u);
}

TEST_F(SoundTest, PlayAndWaitStartsAfterTheHeldKeyAndAnyNewKeyCutsIt) {
    platform.SetKeyDown(scan::Space, true);
    PollKeyboard();
    platform.ReleaseAt(400, scan::Space);
    platform.TapAt(1400, scan::F2);
    PlayAndWait("voices/story.wav");
    const SoundEvent* play = Find("play", "voices/story.wav");
    ASSERT_NE(play, nullptr);
    EXPECT_GE(play->ms, 400u);
    EXPECT_LE(platform.NowMs(), 1410u);  // cut by F2 instead of playing 3 s
    EXPECT_NE(Find("stop", "voices/story.wav"), nullptr);

    // A held key that does not start voices stops it on its first pass.
    platform.SetKeyDown(scan::P, true);
    PollKeyboard();
    uint64_t start = platform.NowMs();
    PlayAndWait("voices/story.wav");
    EXPECT_LE(platform.NowMs() - start, 2u);
}

TEST_F(SoundTest, BufferLengthIsSizeLessTwoHundredAndShortMembersTakeTheErrorPath) {
    PlaySound("voices/exact.wav", 0, false);
    EXPECT_EQ(Find("create", "voices/exact.wav")->value, 22);  // 44 bytes of mono

    int status = RunUntilExit([] { PlaySound("voices/tiny.wav", 0, true); });
    EXPECT_EQ(status, 1);
    ASSERT_EQ(platform.Messages().size(), 1u);
    EXPECT_EQ(platform.Messages()[0].rfind("PlaySound: TINY.WAV  ", 0), 0u) << platform.Messages()[0];
    EXPECT_NE(Find("play", "sounds/error.wav"), nullptr);
}

TEST_F(SoundTest, LoaderFailuresNameTheSoundAndAFailingErrorSoundDoesNotRecurse) {
    platform.FailCreateFor("sounds/ball.wav");
    SoundSlot slot;
    EXPECT_EQ(RunUntilExit([&] { CreateSoundBuffer(slot, "sounds/ball.wav"); }), 1);
    EXPECT_EQ(platform.Messages().back().rfind("CreateSoundBuffer: BALL.WAV  ", 0), 0u);

    platform.FailCreateFor("sounds/error.wav");
    platform.FailCreateFor("voices/a.wav");
    EXPECT_EQ(RunUntilExit([] { PlayStereo("voices/a.wav", true); }), 1);
    ASSERT_EQ(platform.Messages().size(), 2u);
    EXPECT_EQ(platform.Messages().back().rfind("PlaySound: A.WAV  ", 0), 0u);
}

TEST_F(SoundTest, LooseFilesPlayFromTheProgramFolderAndAMissingOneIsReportedOnceInWords) {
    WriteLooseFile("system/initials/1.wav", 250);
    uint64_t start = platform.NowMs();
    PlaySoundNP("system\\initials\\1.wav", 0, true);
    EXPECT_NEAR(double(platform.NowMs() - start), 254, 2);  // loose files play whole, tail included

    // The installation's fault, not the sound system's: the game goes on.
    EXPECT_EQ(RunUntilExit([] { PlaySoundNP("system\\hss\\none.wav", 0, true); }), -1);
    ASSERT_EQ(platform.Messages().size(), 1u);
    EXPECT_EQ(platform.Messages()[0].rfind("The voice file " + appFolder + "/system/hss/none.wav is missing.", 0), 0u)
        << platform.Messages()[0];
    PlaySoundNP("system\\hss\\none.wav", 0, true);
    EXPECT_EQ(platform.Messages().size(), 1u);
}

}  // namespace
}  // namespace tamblor::test
