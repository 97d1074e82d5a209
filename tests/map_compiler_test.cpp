// The map compiler: source syntax, the validation rules, the files it
// writes and the PNG picture. (The map format it writes: table_map_test.cpp.)
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>

#include "support/files.h"
#include "tools/maptools/compile.h"
#include "tools/maptools/map_source.h"
#include "tools/maptools/map_writer.h"
#include "tools/maptools/png.h"

namespace tamblor::maptools {
namespace {

namespace fs = std::filesystem;
using ::testing::AllOf;
using ::testing::HasSubstr;
using test::ReadFile;

// Sources built by Source(): the legend takes lines 1 to 5, "grid" line 6,
// row y line 7 + y, and the rules start at line 57.
constexpr int kRowLine = 7;
constexpr int kRulesLine = 57;

std::vector<std::string> WalledField(char inside = 'o') {
    std::vector<std::string> rows(50, std::string(50, inside));
    for (int i = 0; i < 50; ++i) rows[0][i] = rows[49][i] = rows[i][0] = rows[i][49] = '#';
    return rows;
}

std::string Source(const std::vector<std::string>& rows, const std::string& rules = "") {
    std::string text = "; walls, floor, dots and bumpers\n# = 1\n. = 0\no = 31\n$ = 36 ; bumper\ngrid\n";
    for (const std::string& row : rows) text += row + "\n";
    return text + rules;
}

struct Result {
    MapSource source;
    std::vector<std::string> messages;  // "file:line: message"
};

// Parses and, when the syntax is fine, checks the rules.
Result Compile(const std::string& text) {
    std::vector<Diagnostic> problems;
    Result result{ParseMapSource(text, "t.mapsrc", problems), {}};
    if (problems.empty()) problems = CheckMapRules(result.source);
    for (const Diagnostic& d : problems) result.messages.push_back(d.Text());
    return result;
}

std::string Line(int line) { return "t.mapsrc:" + std::to_string(line) + ": "; }

struct Cell {
    int x, y, code, number;
};

void ExpectCells(const MapGrid& grid, const std::vector<Cell>& cells) {
    for (const Cell& c : cells) {
        EXPECT_EQ(grid.Code(c.x, c.y), c.code) << c.x << "," << c.y;
        EXPECT_EQ(grid.Number(c.x, c.y), c.number) << c.x << "," << c.y;
    }
}

TEST(MapSource, QuotedLegendCharactersAndCommentsInRules) {
    std::vector<std::string> rows = WalledField();
    rows[5][0] = ' ';
    rows[5][1] = ';';
    Result r = Compile(Source(rows, "' ' = 32 7   ; a tunnel mouth\n';' = 5\nat 3 3 code 9 ; no second byte\n"));
    ASSERT_TRUE(r.messages.empty()) << r.messages.front();
    ExpectCells(r.source.grid, {{0, 5, 32, 7}, {1, 5, 5, 0}, {3, 3, 9, 0}});
}

TEST(MapSource, SyntaxErrorsNameTheirLine) {
    std::vector<std::string> stray = WalledField();
    stray[3][5] = 'X';
    std::vector<std::string> shortRow = WalledField();
    shortRow[10].pop_back();
    std::vector<std::string> fewRows = WalledField();
    fewRows.resize(20);

    const std::vector<std::pair<std::string, std::string>> cases = {
        {Source(shortRow), Line(kRowLine + 10) + "grid row 10 has 49 characters"},
        {Source(stray), Line(kRowLine + 3) + "character 'X' at (5, 3) is not in the legend"},
        {Source(fewRows), Line(6) + "the grid has 20 rows; it needs 50"},
        {Source(WalledField(), "o = 32\n"), Line(kRulesLine) + "legend character 'o' was already given at line 4"},
        {Source(WalledField(), "x = 300\n"), Line(kRulesLine) + "cell code 300 is outside 0..255"},
        {Source(WalledField(), "\nfrobnicate 1\n"), Line(kRulesLine + 1) + "unknown line starting with 'frobnicate'"},
        {Source(WalledField(), "at 50 3 code 1\n"), Line(kRulesLine) + "X 50 is outside 0..49"},
        {Source(WalledField(), "at 5 3 colour 1\n"), Line(kRulesLine) + "'at' needs"},
        {Source(WalledField(), "start 3 4 5\n"), Line(kRulesLine) + "'start' needs a list of X Y pairs"},
        {Source(WalledField(), "number 4 5..1\n"), Line(kRulesLine) + "range 5..1 is empty"},
        {Source(WalledField(), "passable 0\nreach 31\n"), Line(kRulesLine + 1) + "'reach' needs start positions"},
        {Source(WalledField(), "grid\n"), Line(kRulesLine) + "a second grid"},
        {"# = 1\n", Line(1) + "the source has no grid"},
    };
    for (const auto& [text, expected] : cases) {
        Result r = Compile(text);
        ASSERT_FALSE(r.messages.empty()) << expected;
        EXPECT_EQ(r.messages.front().substr(0, expected.size()), expected) << r.messages.front();
    }
}

TEST(MapRulesCheck, EnclosureBrokenByAGapOrACutCorner) {
    std::vector<std::string> rows = WalledField();
    rows[0][30] = '.';
    Result gap = Compile(Source(rows, "start 24 43\nenclose 1 36\n"));
    ASSERT_EQ(gap.messages.size(), 1u);
    EXPECT_EQ(gap.messages[0], Line(kRowLine) +
                                   "enclosure broken: (30, 0) on the edge of the field holds code 0, reachable "
                                   "from the start (24, 43) (enclose rule at line " +
                                   std::to_string(kRulesLine + 1) + ")");

    // A room whose wall lacks only a corner cell: the ball can slip out diagonally.
    rows = std::vector<std::string>(50, std::string(50, '.'));
    for (int i = 10; i <= 20; ++i) rows[10][i] = rows[20][i] = rows[i][10] = rows[i][20] = '#';
    std::string rules = "start 15 15\nenclose 1\n";
    EXPECT_TRUE(Compile(Source(rows, rules)).messages.empty());
    rows[20][20] = '.';
    Result corner = Compile(Source(rows, rules));
    ASSERT_FALSE(corner.messages.empty());
    EXPECT_THAT(corner.messages[0], HasSubstr("enclosure broken"));

    // Without starts the edge itself must be enclosing; many breaks are summed up.
    Result open = Compile(Source(std::vector<std::string>(50, std::string(50, '.')), "enclose 1\n"));
    ASSERT_EQ(open.messages.size(), 9u);
    EXPECT_EQ(open.messages.back(), Line(kRulesLine) + "188 more cells break this rule");
}

TEST(MapRulesCheck, UnreachableDotsAreFoundButHitTargetsCount) {
    std::vector<std::string> rows = WalledField();
    for (int i = 30; i <= 34; ++i) rows[30][i] = rows[34][i] = rows[i][30] = rows[i][34] = '#';
    for (int y = 31; y <= 33; ++y) rows[y].replace(31, 3, "...");
    rows[32][32] = 'o';  // a dot shut in the box
    rows[30][32] = '$';  // a bumper in the box wall: hit from outside
    Result r = Compile(Source(rows, "start 24 43\npassable 0 31\nreach 31 36\n"));
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_EQ(r.messages[0], Line(kRowLine + 32) +
                                 "cell (32, 32) of code 31 cannot be reached from the start positions (reach rule "
                                 "at line " + std::to_string(kRulesLine + 2) + ")");

    rows[34][32] = '.';  // a door
    EXPECT_TRUE(Compile(Source(rows, "start 24 43\npassable 0 31\nreach 31 36\n")).messages.empty());
}

TEST(MapRulesCheck, SecondBytesOpenFloorAndStarts) {
    std::vector<std::string> rows = WalledField();
    rows[8][8] = 'G';
    std::string legend = "G = 4\n";  // second byte 0: outside 1..4
    Result r = Compile(Source(rows, legend + "at 5 5 code 4 7\nat 6 6 code 4 3\nnumber 4 1..4\n"));
    ASSERT_EQ(r.messages.size(), 2u);
    EXPECT_EQ(r.messages[0], Line(kRulesLine + 1) +
                                 "cell (5, 5) of code 4 has second byte 7, outside 1..4 (rule at line " +
                                 std::to_string(kRulesLine + 3) + ")");
    EXPECT_EQ(r.messages[1], Line(kRowLine + 8) + "cell (8, 8) of code 4 has second byte 0, outside 1..4 (rule at line " +
                                 std::to_string(kRulesLine + 3) + ")");

    Result open = Compile(Source(WalledField(), "at 24 6 code 0\nopen 24 6, 24 43\n"));
    ASSERT_EQ(open.messages.size(), 1u);
    EXPECT_EQ(open.messages[0], Line(kRulesLine + 1) +
                                    "(24, 43) must be open floor (code 0) but holds code 31 (from line " +
                                    std::to_string(kRowLine + 43) + ")");

    Result start = Compile(Source(WalledField(), "start 0 10\nenclose 1\n"));
    ASSERT_FALSE(start.messages.empty());
    EXPECT_EQ(start.messages[0], Line(kRulesLine) + "start (0, 10) holds code 1, which the ball cannot roll through");
}

uint32_t Be32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
}

TEST(MapPicture, IsAWellFormedPngOfTheMap) {
    // What the picture's checks are made of, against known values.
    const std::string digits = "123456789";
    EXPECT_EQ(Crc32(reinterpret_cast<const uint8_t*>(digits.data()), digits.size()), 0xCBF43926u);
    const std::string word = "Wikipedia";
    EXPECT_EQ(Adler32(reinterpret_cast<const uint8_t*>(word.data()), word.size()), 0x11E60398u);
    std::set<std::array<uint8_t, 3>> colours;
    for (int code = 0; code < 256; ++code) colours.insert(CodeColour(uint8_t(code)));
    EXPECT_EQ(colours.size(), 256u) << "one colour per code";

    MapGrid grid;
    grid.Code(3, 4) = 31;
    std::vector<uint8_t> png = RenderMapPng(grid, 10);
    const std::vector<uint8_t> signature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    ASSERT_GT(png.size(), 8u);
    ASSERT_TRUE(std::equal(signature.begin(), signature.end(), png.begin()));

    std::vector<std::string> types;
    std::vector<uint8_t> header, zlib;
    for (size_t at = 8; at < png.size();) {
        ASSERT_LE(at + 12, png.size());
        uint32_t length = Be32(png, at);
        ASSERT_LE(at + 12 + length, png.size());
        std::string type(png.begin() + std::ptrdiff_t(at + 4), png.begin() + std::ptrdiff_t(at + 8));
        EXPECT_EQ(Be32(png, at + 8 + length), Crc32(png.data() + at + 4, length + 4)) << type;
        std::vector<uint8_t> data(png.begin() + std::ptrdiff_t(at + 8), png.begin() + std::ptrdiff_t(at + 8 + length));
        if (type == "IHDR") header = data;
        if (type == "IDAT") zlib.insert(zlib.end(), data.begin(), data.end());
        types.push_back(type);
        at += 12 + length;
    }
    EXPECT_EQ(types.front(), "IHDR");
    EXPECT_EQ(types.back(), "IEND");
    // 500 by 500, 8-bit RGB, no interlace.
    EXPECT_EQ(header, (std::vector<uint8_t>{0, 0, 0x01, 0xF4, 0, 0, 0x01, 0xF4, 8, 2, 0, 0, 0}));

    // zlib of stored blocks: undo it by hand.
    ASSERT_GE(zlib.size(), 6u);
    EXPECT_EQ(zlib[0] & 0x0F, 8);
    EXPECT_EQ((zlib[0] * 256 + zlib[1]) % 31, 0);
    std::vector<uint8_t> raw;
    size_t at = 2;
    for (bool last = false; !last;) {
        ASSERT_LE(at + 5, zlib.size());
        last = zlib[at] & 1;
        ASSERT_EQ(zlib[at] & 6, 0) << "stored block";
        uint16_t length = uint16_t(zlib[at + 1] | zlib[at + 2] << 8);
        EXPECT_EQ(uint16_t(zlib[at + 3] | zlib[at + 4] << 8), uint16_t(~length));
        ASSERT_LE(at + 5 + length, zlib.size());
        raw.insert(raw.end(), zlib.begin() + std::ptrdiff_t(at + 5), zlib.begin() + std::ptrdiff_t(at + 5 + length));
        at += 5 + length;
    }
    ASSERT_EQ(zlib.size(), at + 4);
    EXPECT_EQ(Be32(zlib, at), Adler32(raw.data(), raw.size()));
    ASSERT_EQ(raw.size(), 500u * (1 + 500 * 3));

    auto pixel = [&](int px, int py) {
        size_t i = size_t(py) * 1501 + 1 + size_t(px) * 3;
        return std::array<uint8_t, 3>{raw[i], raw[i + 1], raw[i + 2]};
    };
    // Cell (3, 4) is the 10-pixel square from (30, 40).
    for (auto [px, py, code] : {std::array{35, 45, 31}, {30, 40, 31}, {39, 49, 31}, {29, 45, 0}, {499, 499, 0}})
        EXPECT_EQ(pixel(px, py), CodeColour(uint8_t(code))) << px << "," << py;
}

// The example source: its legend and overrides parsed, its rules passed, and
// exactly that grid written, the same each time, with the picture only when asked.
TEST(MapCompileFile, ExampleCompilesToItsParsedGridTheSameEachTime) {
    const test::TestFolder dir("tamblor_mapc_");
    std::string source = std::string(TAMBLOR_MAP_TEST_DATA) + "/example.mapsrc";
    std::vector<Diagnostic> errors;
    MapSource parsed = ParseMapSource(ReadFile(source), source, errors);
    ASSERT_TRUE(errors.empty()) << errors.front().Text();
    EXPECT_TRUE(CheckMapRules(parsed).empty());
    // The legend "P = 35 1" at (10, 6); "at 40 43 number 2" keeps the code; "at 37 12 code 4 2".
    ExpectCells(parsed.grid,
                {{0, 0, 1, 0}, {1, 1, 31, 0}, {24, 43, 0, 0}, {10, 6, 35, 1}, {40, 43, 35, 2}, {37, 12, 4, 2}});

    std::ostringstream messages;
    ASSERT_EQ(CompileMapFile(source, dir / "a.map", dir / "a.png", messages), 0) << messages.str();
    ASSERT_EQ(CompileMapFile(source, dir / "b.map", "", messages), 0);
    EXPECT_EQ(messages.str(), "");
    EXPECT_EQ(ReadFile(dir / "a.map"), WriteGameMap(parsed.grid));
    EXPECT_EQ(ReadFile(dir / "a.map"), ReadFile(dir / "b.map"));
    EXPECT_EQ(ReadFile(dir / "a.png").substr(1, 3), "PNG");
    // Temporary files are renamed into place.
    EXPECT_EQ(test::NamesIn(dir.path), (std::vector<std::string>{"a.map", "a.png", "b.map"}));
}

TEST(MapCompileFile, BadSourceLeavesNoOutputBehind) {
    const test::TestFolder dir("tamblor_mapc_");
    test::WriteFile(dir / "old.map", "from an earlier run");
    test::WriteFile(dir / "old.png", "from an earlier run");
    std::string source = std::string(TAMBLOR_MAP_TEST_DATA) + "/leaky.mapsrc";
    std::ostringstream messages;
    EXPECT_EQ(CompileMapFile(source, dir / "old.map", dir / "old.png", messages), 1);
    EXPECT_THAT(messages.str(), AllOf(HasSubstr(source + ":"), HasSubstr("enclosure broken: (30, 0)"),
                                      HasSubstr("1 error; no map written")));
    EXPECT_FALSE(fs::exists(dir / "old.map"));
    EXPECT_FALSE(fs::exists(dir / "old.png"));

    std::ostringstream missing;
    EXPECT_EQ(CompileMapFile(dir / "nothing.mapsrc", dir / "n.map", "", missing), 1);
    EXPECT_THAT(missing.str(), HasSubstr("cannot open"));
}

}  // namespace
}  // namespace tamblor::maptools
