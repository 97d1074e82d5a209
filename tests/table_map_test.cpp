// The map format as the compiler writes it and the loader reads it: the
// text fields, the shared TableMap, the error reports for bad maps, the
// code listing and LoadMapMember's clean-up.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "core/errors.h"
#include "core/startup.h"
#include "support/files.h"
#include "support/game_fixture.h"
#include "table/table_map.h"
#include "tools/maptools/map_writer.h"

namespace tamblor {
namespace {

namespace fs = std::filesystem;
using ::testing::AllOf;
using ::testing::HasSubstr;
using maptools::MapGrid;
using maptools::WriteGameMap;
using test::ReadFile;
using test::WriteFile;

// The compiler's output split into lines: [0] header, [1 + y * 50 + x] the
// cell (x, y), [2501] footer. Tests edit single lines and join them again.
std::vector<std::string> MapLines(const MapGrid& grid) {
    std::vector<std::string> lines;
    std::string text = WriteGameMap(grid);
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

size_t CellLine(int x, int y) { return 1 + size_t(y) * 50 + size_t(x); }
constexpr size_t kFooterLine = 2501;

std::string Join(const std::vector<std::string>& lines, const std::string& ending = "\r\n") {
    std::string text;
    for (const std::string& line : lines) text += line + ending;
    return text;
}

// The line of one cell with `field` (1-based) replaced by `value`.
std::string WithField(std::string line, int field, const std::string& value) {
    size_t begin = 0;
    for (int i = 1; i < field; ++i) begin = line.find(',', begin) + 1;
    size_t end = line.find(',', begin);
    return line.replace(begin, end == std::string::npos ? std::string::npos : end - begin, value);
}

class TableMapTest : public test::GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        UseArchive(test::StandardMembers());  // the sounds of the error reports
        unsetenv(kMapToClipboardVariable);
    }
    void TearDown() override {
        unsetenv(kMapToClipboardVariable);
        GameTest::TearDown();
    }

    void WriteData(const std::string& name, const std::string& text) { WriteFile(fs::path(DataFolder) / name, text); }

    void Load(const std::string& text) {
        WriteData("t.map", text);
        LoadTableMap("t.map");
    }

    // Loads a bad map: it must throw ReturnToMainMenu after exactly one
    // report, and leave an empty map. Returns the report.
    std::string LoadBad(const std::string& text) {
        WriteData("bad.map", text);
        const size_t before = platform.Messages().size();
        EXPECT_THROW(LoadTableMap("bad.map"), ReturnToMainMenu);
        EXPECT_EQ(platform.Messages().size(), before + 1);
        EXPECT_EQ(TableMap.DotCount, 0);
        EXPECT_EQ(TableMap.Cells[0][0].Code, 0);
        return platform.Messages().size() > before ? platform.Messages().back() : "";
    }
};

// TableMap's cells hold `grid`, and zeros in the ring around the field.
void ExpectCells(const MapGrid& grid) {
    for (int x = 0; x < kMapArraySize; ++x) {
        for (int y = 0; y < kMapArraySize; ++y) {
            const bool inField = x < kMapFieldSize && y < kMapFieldSize;
            ASSERT_EQ(TableMap.Cells[x][y].Code, inField ? grid.Code(x, y) : 0) << x << "," << y;
            ASSERT_EQ(TableMap.Cells[x][y].Number, inField ? grid.Number(x, y) : 0) << x << "," << y;
        }
    }
}

MapGrid Walled(uint8_t inside) {
    MapGrid grid;
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 50; ++x) grid.Code(x, y) = (x == 0 || y == 0 || x == 49 || y == 49) ? 1 : inside;
    return grid;
}

// The compiler writes a header, a line per cell and a footer, each of its
// own fields and ending in CR LF, as the game's maps have always been; the
// loader puts every byte value back at its position, and a second load
// replaces them all.
TEST_F(TableMapTest, TheGameFormatIsWrittenFieldByFieldAndEveryByteValueReadBackAtItsPosition) {
    MapGrid grid;
    for (int y = 0; y < 50; ++y) {
        for (int x = 0; x < 50; ++x) {
            grid.Code(x, y) = uint8_t((x * 7 + y * 13) % 256);
            grid.Number(x, y) = uint8_t((x * 3 + y * 50) % 256);
        }
    }
    const std::string text = WriteGameMap(grid);
    const std::vector<std::string> lines = MapLines(grid);
    ASSERT_EQ(Join(lines), text) << "every line ends in CR LF";
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), std::ptrdiff_t(lines.size())) << "no bare line feeds";
    ASSERT_EQ(lines.size(), kFooterLine + 1);
    EXPECT_EQ(lines[0], "0,\"\",0,\"\",0,\"\",0,0,0,0,0,\"\",0,0,0,\"\",0,\"\",0,\"\",0,\"\",0");
    EXPECT_TRUE(lines[CellLine(7, 3)].starts_with("88,171,0,0,\"\",")) << lines[CellLine(7, 3)];
    std::string footer;
    for (int i = 0; i < 38; ++i) footer += "0,";
    EXPECT_EQ(lines[kFooterLine], footer + "\"\"");

    Load(text);
    ExpectCells(grid);
    Load(WriteGameMap(MapGrid{}));  // all cells 0: an empty field, and the ring around it too
    EXPECT_EQ(TableMap.DotCount, 0);
    ExpectCells(MapGrid{});
}

TEST_F(TableMapTest, TextIsCutOrPaddedToItsWidthAndMayHoldCommasAndLineEndsAndNumbersReachTheirExtremes) {
    std::vector<std::string> lines = MapLines(MapGrid{});
    auto edit = [&](size_t line, int field, const std::string& value) {
        lines[line] = WithField(lines[line], field, value);
    };
    edit(0, 2, "abc");                                       // unquoted, 16 wide
    edit(0, 4, "\"  two spaces  \"");                        // quoted keeps its spaces
    edit(0, 16, "\"" + std::string(70, 'L') + "\"");         // 64 wide
    edit(0, 18, "short one   ");                              // trailing spaces dropped
    edit(CellLine(3, 4), 5, "seventeen chars!!");
    edit(CellLine(5, 5), 5, "\",,\"");
    edit(CellLine(0, 0), 5, "\"a,b\r\nc\ndef\"");
    edit(kFooterLine, 39, "\"" + std::string(130, 'F') + "\"");
    // Spaces around numbers, the extremes of each type, floats with a
    // fraction and an exponent.
    std::string extremes = "31 , 7,0,0,\"\",-32768,0,32767,0, 1.5 ,0,0,0,0,0,0,-2.5e1";
    for (int i = 18; i <= 33; ++i) extremes += ",0";
    lines[CellLine(1, 0)] = extremes + ",255";
    Load(Join(lines));

    EXPECT_EQ(TextOf(TableMap.Header.Field2), "abc" + std::string(13, ' '));
    EXPECT_EQ(TextOf(TableMap.Header.Field4), "  two spaces    ");
    EXPECT_EQ(TextOf(TableMap.Header.Field16), std::string(64, 'L'));
    EXPECT_EQ(TextOf(TableMap.Header.Field18), "short one" + std::string(55, ' '));
    EXPECT_EQ(TextOf(TableMap.Cells[3][4].Field5), "seventeen chars!");
    EXPECT_EQ(TextOf(TableMap.Cells[4][4].Field5), std::string(16, ' '));
    EXPECT_EQ(TextOf(TableMap.Cells[5][5].Field5), ",," + std::string(14, ' '));
    EXPECT_EQ(TextOf(TableMap.Cells[0][0].Field5), "a,b\r\nc\ndef" + std::string(6, ' '));
    EXPECT_EQ(TextOf(TableMap.Footer.Text), std::string(128, 'F'));
    const MapCell& cell = TableMap.Cells[1][0];
    EXPECT_EQ((std::vector<double>{double(cell.Code), double(cell.Number), double(cell.Field6),
                                   double(cell.Field8), cell.Field10, cell.Field17, double(cell.Field34)}),
              (std::vector<double>{31, 7, -32768, 32767, 1.5, -25, 255}));
    EXPECT_EQ(TableMap.DotCount, 1);

    edit(kFooterLine, 39, "\"end\"");
    Load(Join(lines));
    EXPECT_EQ(TextOf(TableMap.Footer.Text), "end" + std::string(125, ' '));
}

struct BadMap {
    const char* what;
    int32_t number;
    const char* where;  // part of the description
};

TEST_F(TableMapTest, MissingOrMalformedMapsAreReportedAndLeadBackToTheMenu) {
    // No file at all; the report names the file that keeps a copy of it.
    EXPECT_THROW(LoadTableMap("nowhere.map"), ReturnToMainMenu);
    ASSERT_EQ(platform.Messages().size(), 1u);
    EXPECT_EQ(platform.Messages()[0], StandardErrorText("LoadTableMap", kMapErrFileNotFound,
                                                     "Map file 'nowhere.map' not found in " + DataFolder) +
                                       "  This report is also saved in " + DataFolder + "/" + kErrorReportFile + ".");

    const std::vector<std::string> good = MapLines(Walled(kDotCode));
    auto edited = [&](size_t line, int field, const std::string& value) {
        std::vector<std::string> lines = good;
        lines[line] = WithField(lines[line], field, value);
        return Join(lines);
    };
    auto truncated = [&](size_t lineCount) {
        return Join(std::vector<std::string>(good.begin(), good.begin() + std::ptrdiff_t(lineCount)));
    };
    std::vector<std::string> shortLine = good;
    shortLine[CellLine(4, 0)].resize(shortLine[CellLine(4, 0)].rfind(','));
    std::string fieldTooFew = Join(shortLine);
    std::string garbage;
    for (int i = 0; i < 3000; ++i) garbage += char((i * 7919) % 251);

    const std::vector<std::pair<std::string, BadMap>> cases = {
        {"", {"empty file", kMapErrPastEnd, "line 1, header field 1:"}},
        {truncated(1 + 153), {"short file", kMapErrPastEnd, "cell (3, 3) field 1 (Code): the file ends"}},
        {truncated(2501), {"no footer", kMapErrPastEnd, "footer field 1:"}},
        {edited(CellLine(5, 7), 1, "256"), {"code too big", kMapErrOverflow, "line 357, cell (5, 7) field 1 (Code): '256' is outside 0..255"}},
        {edited(CellLine(5, 7), 2, "-1"), {"negative byte", kMapErrOverflow, "cell (5, 7) field 2 (Number)"}},
        {edited(CellLine(0, 1), 6, "32768"), {"int16 too big", kMapErrOverflow, "cell (0, 1) field 6: '32768' is outside -32768..32767"}},
        {edited(kFooterLine, 3, "-32769"), {"footer int16", kMapErrOverflow, "footer field 3:"}},
        {edited(CellLine(9, 9), 1, "x1"), {"not a number", kMapErrTypeMismatch, "'x1' is not a whole number"}},
        {edited(CellLine(9, 9), 1, "3.5"), {"fraction in a byte", kMapErrTypeMismatch, "'3.5' is not a whole number"}},
        {edited(CellLine(9, 9), 1, ""), {"empty number", kMapErrTypeMismatch, "cell (9, 9) field 1 (Code): the number is missing"}},
        {edited(CellLine(2, 2), 10, "1.2.3"), {"bad float", kMapErrTypeMismatch, "field 10: '1.2.3' is not a number"}},
        {edited(CellLine(2, 2), 17, "1e39"), {"float too big", kMapErrOverflow, "field 17: '1e39' does not fit"}},
        {edited(CellLine(2, 2), 1, "7 8"), {"two numbers in a field", kMapErrTypeMismatch, "unexpected '8' after the field"}},
        {edited(CellLine(2, 2), 5, "\"abc\"x"), {"text after a quote", kMapErrTypeMismatch, "field 5: unexpected 'x'"}},
        {edited(kFooterLine, 39, "\"never closed"), {"unterminated quote", kMapErrPastEnd, "footer field 39: the quoted text"}},
        // A field too many or too few shifts the rest until a text meets a number.
        {edited(CellLine(4, 0), 34, "0,0"), {"a field too many", kMapErrTypeMismatch, "cell (5, 0) field 6: '\"\"'"}},
        {fieldTooFew, {"a field too few", kMapErrTypeMismatch, "cell (5, 0) field 4: '\"\"'"}},
        {Join(good) + "31\r\n", {"data after the footer", kMapErrTypeMismatch, "after the footer: unexpected data '31"}},
        {garbage, {"binary garbage", kMapErrTypeMismatch, "header field 1:"}},
    };
    for (const auto& [text, bad] : cases) {
        SCOPED_TRACE(bad.what);
        const std::string number = "Error Number: " + std::to_string(bad.number) + " - Map file 'bad.map'";
        EXPECT_THAT(LoadBad(text),
                    AllOf(HasSubstr("Procedure: LoadTableMap."), HasSubstr(number), HasSubstr(bad.where)));
    }

    // A good map loads after all of that, with bare line feeds too.
    Load(Join(good, "\n"));
    EXPECT_EQ(TableMap.DotCount, 48 * 48);
    EXPECT_EQ(TableMap.Cells[0][7].Code, 1);
}

TEST_F(TableMapTest, CodeListingGoesToAFileAndToTheClipboardOnlyWhenAsked) {
    MapGrid grid = Walled(0);
    grid.Code(2, 1) = 31;
    grid.Code(48, 48) = 255;
    Load(WriteGameMap(grid));

    std::string expected;  // the codes row by row, each followed by a comma
    for (int y = 0; y < 50; ++y) {
        for (int x = 0; x < 50; ++x) expected += std::to_string(grid.Code(x, y)) + ",";
        expected += "\r\n";
    }

    EXPECT_EQ(ReadFile(fs::path(DataFolder) / "lastmap.txt"), expected);
    EXPECT_EQ(MapCodeListing(), expected);
    EXPECT_TRUE(platform.Clipboard().empty()) << "the player's clipboard must be left alone";

    setenv(kMapToClipboardVariable, "0", 1);
    Load(WriteGameMap(grid));
    EXPECT_TRUE(platform.Clipboard().empty());

    setenv(kMapToClipboardVariable, "1", 1);
    Load(WriteGameMap(MapGrid{}));
    EXPECT_EQ(platform.Clipboard(), ReadFile(fs::path(DataFolder) / "lastmap.txt"));
    EXPECT_EQ(platform.Clipboard().substr(0, 8), "0,0,0,0,");
}

class MapMemberTest : public TableMapTest {
protected:
    void SetUp() override {
        TableMapTest::SetUp();
        std::string good = WriteGameMap(Walled(kDotCode));
        std::string bad = good.substr(0, good.size() / 2);
        std::vector<ArchiveMember> members = test::StandardMembers();
        members.push_back({"test/good.map", {good.begin(), good.end()}});
        members.push_back({"test/bad.map", {bad.begin(), bad.end()}});
        UseArchive(members);
    }

    // Nothing is left but the code listing and the error reports.
    bool DataFolderEmpty() {
        for (const std::string& name : test::NamesIn(DataFolder))
            if (name != kMapListingFileName && name != kErrorReportFile) return false;
        return true;
    }
};

// The extracted file is deleted whether the map loads or not, and a member
// the archive lacks is reported instead of loading what an earlier run left.
TEST_F(MapMemberTest, TheExtractedFileGoesAfterAGoodOrBadLoadAndAStaleOneIsNeverLoaded) {
    LoadMapMember("test/good.map", "good.map");
    EXPECT_EQ(TableMap.DotCount, 48 * 48);
    EXPECT_TRUE(platform.Messages().empty());
    EXPECT_TRUE(DataFolderEmpty());

    WriteData("GONE.MAP", WriteGameMap(Walled(kDotCode)));  // left over from an earlier run
    EXPECT_THROW(LoadMapMember("test/gone.map", "gone.map"), ReturnToMainMenu);
    ASSERT_EQ(platform.Messages().size(), 1u);
    EXPECT_EQ(platform.Messages()[0].rfind(StandardErrorText("LoadTableMap", kMapErrFileNotFound,
                                                          "Map 'test/gone.map' is not in the archive"),
                                        0),
              0u);
    EXPECT_EQ(TableMap.DotCount, 0);
    EXPECT_EQ(TableMap.Cells[0][0].Code, 0);
    EXPECT_TRUE(DataFolderEmpty());

    EXPECT_THROW(LoadMapMember("test/bad.map", "bad.map"), ReturnToMainMenu);
    ASSERT_EQ(platform.Messages().size(), 2u);
    EXPECT_THAT(platform.Messages()[1], HasSubstr("Procedure: LoadTableMap."));
    EXPECT_TRUE(DataFolderEmpty());
}

}  // namespace
}  // namespace tamblor
