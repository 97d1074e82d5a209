// What the window shows, as plain values: the game fills one in (outside
// the ball loop's drawing, at the pass's yield) and hands it to the window,
// which draws it. Nothing here is heard; the picture is for whoever sits
// beside the player, or a player who reads.
#pragma once

#include <cstdint>

namespace tamblor {

constexpr int kFrameEntries = 16;    // more than any menu holds
constexpr int kFrameMapSize = 50;    // the map's field, cells per side
constexpr int kFrameCaption = 2048;  // bytes, terminator included
constexpr int kFrameLegend = 12;     // the table's things named beside the map

enum class Scene : uint8_t { Plain, Menu, Table };

// The player's "Screen" option.
enum class ScreenMode : uint8_t { TableAndCaptions = 0, CaptionsOnly = 1, Off = 2 };

struct Frame {
    ScreenMode mode = ScreenMode::TableAndCaptions;
    Scene scene = Scene::Plain;

    // Menus: texts owned by the game data, which outlives every frame.
    const char* title = "";
    const char* entries[kFrameEntries] = {};
    int entryCount = 0;
    int current = 0;

    // The table: each cell's code (0 empty), [x][y] as the map has them.
    uint8_t cells[kFrameMapSize][kFrameMapSize] = {};
    float ballX = 0, ballY = 0;  // map columns and rows
    bool ballShown = false;
    double score = 0;
    int ballsLeft = 0;
    int multiplier = 1;
    // What the map's colours are: a cell code and its name, from the tour.
    struct LegendItem {
        uint8_t code = 0;
        const char* text = "";
    };
    LegendItem legend[kFrameLegend] = {};
    int legendCount = 0;
    // The aim scan's ray now sounding, in map cells.
    bool rayShown = false;
    float rayX0 = 0, rayY0 = 0, rayX1 = 0, rayY1 = 0;

    // The words last said, as one line ("" when nothing is to be shown).
    char caption[kFrameCaption] = {};
};

}  // namespace tamblor
