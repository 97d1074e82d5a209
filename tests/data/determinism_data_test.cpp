// The data build is deterministic: members rendered afresh (speech
// included, with no cache) equal the ones in the archive, and assembling
// the archive again gives the same bytes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "data/data_support.h"

using namespace datatest;

namespace {

std::string Tool() { return kBuild + "/tamblor_gamedata"; }

TEST(Determinism, FreshlyRenderedMembersMatchTheArchive) {
    auto archive = ReadBytes(kBuild + "/tamblor.tmb");
    const TestFolder tmp("tamblor_det_");
    // A spoken message, a joined word, a stereo voice, an effect, a mono
    // loop and a stereo music loop.
    for (const char* name : {"sounds/v_GOver.wav", "sounds/numbers/17.wav", "sounds/menu/mnuHeist.wav",
                             "sounds/bumper1.wav", "sounds/ball.wav", "sounds/menu/mnuMusic.wav"}) {
        std::string out = tmp / "member.wav";
        std::string cmd = "'" + Tool() + "' member '" + kSource + "' '" + tmp / "cache" + "' '" + name + "' '" + out +
                          "' --fresh";
        ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
        EXPECT_EQ(ReadBytes(out), MemberBytes(archive, name)) << name << " differs when rendered again";
    }
}

TEST(Determinism, ReassembledArchiveIsByteIdentical) {
    const TestFolder tmp("tamblor_asm_");
    std::string cmd =
        "'" + Tool() + "' build '" + kSource + "' '" + tmp.path.string() + "' '" + kBuild + "/gamedata/cache'";
    std::istringstream maps(ReadFile(kBuild + "/gamedata/maps.txt"));
    for (std::string m; std::getline(maps, m);)
        if (!m.empty()) cmd += " --map '" + m + "=" + kBuild + "/gamedata/maps/" + m + "'";
    ASSERT_EQ(std::system((cmd + " 2>/dev/null").c_str()), 0) << cmd;
    EXPECT_TRUE(ReadBytes(tmp / "tamblor.tmb") == ReadBytes(kBuild + "/tamblor.tmb"));
    EXPECT_TRUE(ReadBytes(tmp / "system/initials/point.wav") == ReadBytes(kBuild + "/system/initials/point.wav"));
    // Every member came from the cache, yet the speech stays there for the
    // next rebuilt tool, which makes every member again.
    size_t spoken = 0;
    for (const auto& f : std::filesystem::directory_iterator(kBuild + "/gamedata/cache/speech"))
        if (f.path().extension() == ".wav") ++spoken;
    EXPECT_GT(spoken, 300u);
}

}  // namespace
