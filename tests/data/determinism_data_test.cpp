// The data build is deterministic: members rendered afresh (speech
// included, with no cache) equal the ones in the archive, and assembling
// the archive again gives the same bytes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "data/data_support.h"

using namespace datatest;

namespace {

std::vector<uint8_t> ArchiveMember(const std::vector<uint8_t>& archive, const std::string& name) {
    std::string problem;
    for (const ArchiveEntry& e : ReadDirectory(archive, problem))
        if (e.name == name) return {archive.begin() + e.offset, archive.begin() + e.offset + e.size};
    return {};
}

std::string Tool() { return kBuild + "/tamblor_gamedata"; }

TEST(Determinism, FreshlyRenderedMembersMatchTheArchive) {
    auto archive = ReadBytes(kBuild + "/tamblor.tmb");
    std::string tmp = std::filesystem::temp_directory_path() / ("tamblor_det_" + std::to_string(::getpid()));
    std::filesystem::create_directories(tmp);
    // A spoken message, a joined word, a stereo voice, an effect, a mono
    // loop and a stereo music loop.
    for (const char* name : {"sounds/v_GOver.wav", "sounds/numbers/17.wav", "sounds/menu/mnuHeist.wav",
                             "sounds/bumper1.wav", "sounds/ball.wav", "sounds/menu/mnuMusic.wav"}) {
        std::string out = tmp + "/member.wav";
        std::string cmd = "'" + Tool() + "' member '" + kSource + "' '" + tmp + "/cache' '" + name + "' '" + out +
                          "' --fresh";
        ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
        EXPECT_EQ(ReadBytes(out), ArchiveMember(archive, name)) << name << " differs when rendered again";
    }
    std::filesystem::remove_all(tmp);
}

TEST(Determinism, ReassembledArchiveIsByteIdentical) {
    std::string tmp = std::filesystem::temp_directory_path() / ("tamblor_asm_" + std::to_string(::getpid()));
    std::filesystem::create_directories(tmp);
    std::string cmd = "'" + Tool() + "' build '" + kSource + "' '" + tmp + "' '" + kBuild + "/gamedata/cache'";
    std::istringstream maps(ReadText(kBuild + "/gamedata/maps.txt"));
    for (std::string m; std::getline(maps, m);)
        if (!m.empty()) cmd += " --map '" + m + "=" + kBuild + "/gamedata/maps/" + m + "'";
    ASSERT_EQ(std::system((cmd + " 2>/dev/null").c_str()), 0) << cmd;
    EXPECT_TRUE(ReadBytes(tmp + "/tamblor.tmb") == ReadBytes(kBuild + "/tamblor.tmb"));
    EXPECT_TRUE(ReadBytes(tmp + "/system/initials/point.wav") == ReadBytes(kBuild + "/system/initials/point.wav"));
    // Every member came from the cache, yet the speech stays there for the
    // next rebuilt tool, which makes every member again.
    size_t spoken = 0;
    for (const auto& f : std::filesystem::directory_iterator(kBuild + "/gamedata/cache/speech"))
        if (f.path().extension() == ".wav") ++spoken;
    EXPECT_GT(spoken, 300u);
    std::filesystem::remove_all(tmp);
}

}  // namespace
