// The archive reader against archives built by the writer and by hand.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "audio/archive.h"
#include "audio/archive_format.h"
#include "core/startup.h"
#include "support/files.h"
#include "support/game_fixture.h"

namespace tamblor::test {
namespace {

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

// Directory entry `i` of an archive built by the writer.
uint8_t* Entry(std::vector<uint8_t>& file, size_t i) { return &file[size_t(ReadLe32(&file[4])) + i * kArchiveEntrySize]; }

class ArchiveTest : public GameTest {
protected:
    int OpenRaw(const std::vector<uint8_t>& raw) {
        WriteFile(appFolder + "/raw.tmb", {raw.begin(), raw.end()});
        return OpenArchive("raw.tmb");
    }
};

TEST_F(ArchiveTest, FindsMembersIgnoringCaseButNotSpacesOrBackslashes) {
    UseArchive({{"sounds/ball.wav", Bytes("one")},
                {"SOUNDS/BALL.WAV", Bytes("two")},
                {"pacman/pacman.map", Bytes("map")}});
    EXPECT_EQ(ArchiveEntryCount(), 3);
    EXPECT_EQ(FindMember("Sounds/Ball.WAV"), 0);  // the lower index wins
    EXPECT_EQ(FindMember("pacman/PACMAN.map"), 2);
    for (const char* name : {"sounds\\ball.wav", " sounds/ball.wav", "sounds/ball.wav ", "sounds/missing.wav"})
        EXPECT_EQ(FindMember(name), kMemberNotFound) << "[" << name << "]";
    EXPECT_EQ(ReadMember(1), Bytes("two"));
}

TEST_F(ArchiveTest, RefusesMemberNamesThatWouldLeaveTheDataFolder) {
    UseArchive({{"maps/..", Bytes("x")}, {"maps/", Bytes("y")}, {"a/.", Bytes("z")}});
    for (const char* name : {"maps/..", "maps/", "a/."}) ExtractMember(name);
    ASSERT_EQ(platform.Messages().size(), 3u);
    EXPECT_THAT(platform.Messages()[0], ::testing::HasSubstr("Procedure: ExtractMember."));
    EXPECT_EQ(NamesIn(DataFolder), std::vector<std::string>{"error-report.txt"});
    EXPECT_FALSE(std::filesystem::exists(dataRoot + "/x"));
}

TEST_F(ArchiveTest, MalformedArchivesAreReadDefensively) {
    std::vector<uint8_t> file = BuildArchive({{"a.wav", Bytes("abcdef")}});
    // Three stray bytes on the directory length, and a member cut short.
    WriteLe32(&file[8], ReadLe32(&file[8]) + 3);
    WriteLe32(Entry(file, 0) + 60, 10);  // 6 bytes of its own, then 4 of whatever follows
    EXPECT_EQ(OpenRaw(file), 1);
    std::vector<uint8_t> bytes = ReadMember(FindMember("a.wav"));
    ASSERT_EQ(bytes.size(), 10u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 6), "abcdef");

    // A member that runs past the end of the file: the rest is zeros.
    std::vector<uint8_t> tail = BuildArchive({{"b.wav", Bytes("xyz")}});
    WriteLe32(Entry(tail, 0) + 56, int32_t(tail.size()) - 2);
    WriteLe32(Entry(tail, 0) + 60, 6);
    OpenRaw(tail);
    bytes = ReadMember(FindMember("b.wav"));
    ASSERT_EQ(bytes.size(), 6u);
    EXPECT_EQ(bytes[2], 0);
    EXPECT_EQ(bytes[5], 0);

    // Truncated header, negative or huge directory fields, a directory
    // beyond the file: no crash, no usable entries.
    for (std::vector<uint8_t> raw : {std::vector<uint8_t>{1, 2, 3}, std::vector<uint8_t>(12, 0xFF),
                                     std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0, 0x7F, 0, 0, 0, 0x7F}}) {
        OpenRaw(raw);
        EXPECT_EQ(FindMember(""), kMemberNotFound);
    }
    // More than 4097 entries: only the first 4097 are read.
    std::vector<ArchiveMember> many(kArchiveMaxEntries);
    for (size_t i = 0; i < many.size(); ++i) many[i].name = "m" + std::to_string(i);
    std::vector<uint8_t> big = BuildArchive(many);
    WriteLe32(&big[8], ReadLe32(&big[8]) + 64 * 10);
    big.resize(big.size() + 64 * 10, 'x');
    EXPECT_EQ(OpenRaw(big), kArchiveMaxEntries + 10);
    EXPECT_EQ(ArchiveDirectory().size(), size_t(kArchiveMaxEntries));
    EXPECT_EQ(FindMember("m4096"), 4096);

    // Bad entries are skipped; the good ones still work.
    std::vector<uint8_t> mixed = BuildArchive({{"bad1", Bytes("1")}, {"bad2", Bytes("2")}, {"good", Bytes("3")},
                                               {"noterm", Bytes("4")}});
    WriteLe32(Entry(mixed, 0) + 56, -5);                   // negative offset
    WriteLe32(Entry(mixed, 1) + 60, 0x7FFFFFF0);           // size beyond any file
    std::memset(Entry(mixed, 3), 'n', kArchiveNameField);  // no terminator
    OpenRaw(mixed);
    EXPECT_EQ((std::vector<int>{FindMember("bad1"), FindMember("bad2"), FindMember("good")}),
              (std::vector<int>{kMemberNotFound, kMemberNotFound, 2}));
    EXPECT_EQ(ReadMember(2), Bytes("3"));
    EXPECT_TRUE(ReadMember(0).empty());
}

TEST(ArchiveWriterTest, RoundTripsAndRejectsWhatTheReaderCannotHold) {
    std::vector<ArchiveMember> members = {{"sounds/a.wav", Bytes("aaaa")}, {"b", {}}};
    const TestFolder folder("tamblor-writer-");
    const std::string path = folder / "written.tmb";
    WriteArchiveFile(path, members);
    std::vector<ArchiveMember> back = ReadArchiveFile(path);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].name, "sounds/a.wav");
    EXPECT_EQ(back[0].bytes, Bytes("aaaa"));
    EXPECT_TRUE(back[1].bytes.empty());

    EXPECT_THROW(BuildArchive({{std::string(56, 'n'), {}}}), std::invalid_argument);
    EXPECT_NO_THROW(BuildArchive({{std::string(55, 'n'), {}}}));
    EXPECT_THROW(BuildArchive(std::vector<ArchiveMember>(kArchiveMaxEntries + 1)), std::invalid_argument);
}

}  // namespace
}  // namespace tamblor::test
