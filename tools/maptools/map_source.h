// Readable table map sources (assets/maps/**/*.mapsrc, described in
// assets/maps/README.md): parsing, and checking a map against the rules its
// source declares.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tamblor::maptools {

constexpr int kGridSize = 50;
constexpr size_t kGridCells = size_t(kGridSize) * kGridSize;

// A message about a source line, printed as "file:line: message".
struct Diagnostic {
    std::string file;
    int line = 0;
    std::string message;
    std::string Text() const;
};

// The two bytes of each cell the game uses: its code and its second byte.
struct MapGrid {
    std::array<uint8_t, kGridCells> codes{};
    std::array<uint8_t, kGridCells> numbers{};

    static size_t Index(int x, int y) { return size_t(y) * kGridSize + size_t(x); }
    uint8_t& Code(int x, int y) { return codes[Index(x, y)]; }
    uint8_t Code(int x, int y) const { return codes[Index(x, y)]; }
    uint8_t& Number(int x, int y) { return numbers[Index(x, y)]; }
    uint8_t Number(int x, int y) const { return numbers[Index(x, y)]; }
};

struct GridPosition {
    int x = 0;
    int y = 0;
    int line = 0;  // where the source names it
};

struct CodeSet {
    std::bitset<256> codes;
    int line = 0;  // 0 while the source has not declared the set
    bool Declared() const { return line > 0; }
    bool Contains(int code) const { return codes.test(size_t(code)); }
};

struct NumberRange {
    int code = 0;
    int low = 0;
    int high = 255;
    int line = 0;
};

// The checks a source may ask for.
struct MapRules {
    std::vector<GridPosition> starts;  // where the ball enters play
    CodeSet passable;                  // codes the ball can roll through
    CodeSet enclosing;                 // codes that keep the ball inside the field
    CodeSet reach;                     // codes every cell of which must be reachable
    std::vector<GridPosition> open;    // positions that must be open floor (code 0)
    std::vector<NumberRange> numbers;  // allowed second bytes, per code
};

struct MapSource {
    std::string file;
    MapGrid grid;
    std::array<int, kGridCells> origin{};  // source line each cell got its value from
    MapRules rules;
};

// Parses a source. Every problem goes to `errors`; when there is any, the
// result is not a usable map.
MapSource ParseMapSource(std::string_view text, const std::string& file,
                         std::vector<Diagnostic>& errors);

// Checks the map against the rules its source declares; empty when it passes.
// At most a handful of messages per rule, then a count of the rest.
std::vector<Diagnostic> CheckMapRules(const MapSource& source);

}  // namespace tamblor::maptools
