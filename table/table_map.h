// The table map: the grid of cells the ball rolls over, read from the map
// file of the table being played.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace tamblor {

// The file fills 50 × 50 cells; the array is 53 × 53 so that code probing a
// cell or two beyond the field stays inside it (the ring holds code 0).
constexpr int kMapFieldSize = 50;
constexpr int kMapArraySize = 53;

// The one cell code the loader itself looks at: a Pac Man dot.
constexpr uint8_t kDotCode = 31;

// Field counts of the map file format.
constexpr int kMapHeaderFields = 23;
constexpr int kMapCellFields = 34;
constexpr int kMapFooterNumbers = 38;

// Error numbers of the map error reports.
constexpr int32_t kMapErrOverflow = 6;        // a number outside its type's range
constexpr int32_t kMapErrTypeMismatch = 13;   // a field that is not what its type needs
constexpr int32_t kMapErrFileNotFound = 53;   // no map file, or no map member in the archive
constexpr int32_t kMapErrPastEnd = 62;        // the file ends before the last field

// Text fields are stored at fixed widths, cut or padded with spaces.
template <size_t N>
using MapText = std::array<char, N>;

template <size_t N>
std::string TextOf(const MapText<N>& text) {
    return std::string(text.data(), N);
}

// One cell, fields in file order. Only Code and Number are used by the game;
// the others are kept as read.
struct MapCell {
    uint8_t Code = 0;    // 0 = empty; the meaning of the others is per table
    uint8_t Number = 0;  // the second byte: which ghost, pill, letter or target
    uint8_t Field3 = 0;
    uint8_t Field4 = 0;
    MapText<16> Field5{};
    int16_t Field6 = 0;
    uint8_t Field7 = 0;
    int16_t Field8 = 0;
    uint8_t Field9 = 0;
    float Field10 = 0.0f;
    uint8_t Field11 = 0;
    uint8_t Field12 = 0;
    int16_t Field13 = 0;
    uint8_t Field14 = 0;
    int16_t Field15 = 0;
    uint8_t Field16 = 0;
    float Field17 = 0.0f;
    std::array<uint8_t, 16> Fields18To33{};
    uint8_t Field34 = 0;
};

// The header fields that are kept (field 1 is read but not kept).
struct MapHeader {
    MapText<16> Field2{};
    uint8_t Field3 = 0;
    MapText<16> Field4{};
    uint8_t Field5 = 0;
    MapText<16> Field6{};
    std::array<uint8_t, 5> Fields7To11{};
    MapText<16> Field12{};
    uint8_t Field13 = 0;
    float Field14 = 0.0f;
    uint8_t Field15 = 0;
    MapText<64> Field16{};
    uint8_t Field17 = 0;
    MapText<64> Field18{};
    uint8_t Field19 = 0;
    MapText<64> Field20{};
    uint8_t Field21 = 0;
    MapText<64> Field22{};
    uint8_t Field23 = 0;
};

struct MapFooter {
    std::array<int16_t, kMapFooterNumbers> Numbers{};
    MapText<128> Text{};
};

struct TableMapRecord {
    // Addressed as Cells[x][y]: x is the column (left to right), y the row
    // (top to bottom, toward the player).
    MapCell Cells[kMapArraySize][kMapArraySize];
    int32_t DotCount = 0;  // cells of code 31 in the map last loaded
    MapHeader Header;
    MapFooter Footer;
};

// The map of the table being played; every table's loader refills it.
extern TableMapRecord TableMap;

// Reads ExtractedPath(fileName) into TableMap. A missing, short or malformed
// file gets the standard error report and throws ReturnToMainMenu, leaving
// an empty map behind. After a good load the code listing goes to
// DataFolder/lastmap.txt, and to the clipboard too when the environment
// variable TAMBLOR_MAP_TO_CLIPBOARD is "1" (by default the clipboard is the
// player's own).
void LoadTableMap(const std::string& fileName);

// What every table loader does with its map: extracts `member` from the
// archive, loads it as `fileName` and deletes the extracted file again,
// whether or not loading worked. A member missing from the archive is
// reported like a missing file.
void LoadMapMember(const std::string& member, const std::string& fileName);

// The codes of cells 0..49 × 0..49: per row y, each column's decimal Code
// followed by ",", every row ended by "\r\n".
std::string MapCodeListing();

constexpr const char* kMapListingFileName = "lastmap.txt";
constexpr const char* kMapToClipboardVariable = "TAMBLOR_MAP_TO_CLIPBOARD";

}  // namespace tamblor
