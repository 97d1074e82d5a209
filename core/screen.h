// The picture in the window: the menu being walked, the table being played
// with its ball, score and aim ray, and the caption line. The game sets
// plain values here as it goes; the picture is handed to the window at the
// start of a yield, at most once per clock step and only when it changed.
// Nothing here makes a sound or waits.
#pragma once

#include <cstdint>

#include "platform/frame.h"

namespace tamblor {

// A menu: its name and its entries' voices (their words are shown).
void ScreenMenu(const char* title, const char* const* entryVoices, int count);
void ScreenEntry(int current);
// The table just loaded (0..5), named by the voice of its one-line summary;
// its legend comes from its sound tour, its map, ball and score are read at
// each yield.
void ScreenTable(const char* nameVoice, int table);
// The aim ray now sounding, from the ball along (dx, dy) per step, `steps` long.
void ScreenRay(float x, float y, float dx, float dy, int steps);
void ScreenNoRay();
void ShowCaption(const char* text);

// The "Screen" option: 0 table and captions, 1 captions only, 2 off.
void SetScreenMode(uint8_t mode);

// Hands the frame to the window when it changed (runs before each yield).
void PresentScreen();
const Frame& ScreenFrame();
void ForgetScreen();  // a fresh start, for tests

// How long a caption stays once its voice has ended.
constexpr uint32_t kCaptionHoldMs = 4000;

}  // namespace tamblor
