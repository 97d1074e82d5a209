// Draws a Frame on an SDL window surface: software only (no GL), text by
// SDL_ttf in DejaVu Sans Bold, sized from the window's height so it grows
// and shrinks with it. Rendered texts are kept, so a frame that shows the
// same words again renders nothing new. Internal to the SDL library.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>

#include "platform/frame.h"

typedef struct _TTF_Font TTF_Font;

namespace tamblor {

class SdlScreen {
public:
    SdlScreen();
    ~SdlScreen();
    SdlScreen(const SdlScreen&) = delete;
    SdlScreen& operator=(const SdlScreen&) = delete;

    // Draws the frame; unless `whole`, only what changed since the last
    // one is drawn and sent to the window (a rolling ball redraws its own
    // few cells, not the table).
    void Paint(SDL_Window* window, const Frame& frame, bool whole);

private:
    enum Face { kLarge, kCaption, kSmall, kFaces };
    struct Kept {
        std::string text;
        int face = 0;
        int wrap = 0;
        Uint32 colour = 0;
        SDL_Surface* surface = nullptr;
        uint32_t used = 0;
    };
    static constexpr int kKept = 32;

    bool FontsFor(int height);
    void CloseFonts();
    SDL_Surface* Text(const char* text, Face face, SDL_Color colour, int wrap = 0);
    // Draws `text` at (x, y); returns its height (0 when nothing was drawn).
    int Put(SDL_Surface* target, const char* text, Face face, SDL_Color colour, int x, int y, int wrap = 0);
    // A number from the digit glyphs made with the fonts: a score that
    // changes in play renders nothing new.
    void PutNumber(SDL_Surface* target, double number, int x, int y);
    void Menu(SDL_Surface* target, const Frame& frame, int bottom);
    void Table(SDL_Surface* target, const Frame& frame, int bottom);
    void Caption(SDL_Surface* target, const Frame& frame, int top);
    void SaveShot(SDL_Surface* target, const Frame& frame);
    void DrawAll(SDL_Surface* target, const Frame& frame);
    // The parts of the window that differ between the last frame drawn
    // and `frame`; false when the whole window must be drawn.
    bool Changes(const Frame& frame, SDL_Surface* target, SDL_Rect* rects, int* count);
    SDL_Rect MovingPart(const Frame& frame) const;

    Frame last_;            // the frame the window now shows
    bool shown_ = false;    // last_ is on the window
    int shownW_ = 0, shownH_ = 0;
    int panelX_ = 0, bandTop_ = 0;
    int figuresTop_ = 0, figuresBottom_ = 0;  // the score, balls and multiplier lines

    bool fontMissing_ = false;
    int fontHeight_ = 0;  // the window height the fonts were opened for
    TTF_Font* fonts_[kFaces] = {};
    Kept kept_[kKept];
    SDL_Surface* digits_[11] = {};  // 0..9 and the thousands comma, small and white
    uint32_t uses_ = 0;
    // Where the map went, for the screenshot's notes.
    int mapX_ = 0, mapY_ = 0, cell_ = 0;
    const char* shotPath_ = nullptr;
};

}  // namespace tamblor
