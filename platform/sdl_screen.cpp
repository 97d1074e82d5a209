#include "platform/sdl_screen.h"

#include <SDL_ttf.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tamblor {

namespace {
#ifndef TAMBLOR_FONT_FILE
#define TAMBLOR_FONT_FILE "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
#endif

// High contrast: light on black, the current entry black on yellow.
constexpr SDL_Color kWhite{255, 255, 255, 255};
constexpr SDL_Color kYellow{255, 221, 0, 255};
constexpr SDL_Color kBlack{0, 0, 0, 255};
constexpr SDL_Color kCyan{0, 255, 255, 255};
constexpr SDL_Color kCaptionBand{28, 28, 28, 255};
// The window as it always was, for the screen switched off.
constexpr SDL_Color kPlain{16, 40, 72, 255};

Uint32 Pixel(SDL_Surface* s, SDL_Color c) { return SDL_MapRGB(s->format, c.r, c.g, c.b); }

void Fill(SDL_Surface* s, int x, int y, int w, int h, SDL_Color c) {
    SDL_Rect r{x, y, w, h};
    SDL_FillRect(s, &r, Pixel(s, c));
}

// A colour of its own for every cell code, none of them white (the ball's)
// nor near black (the empty floor).
SDL_Color CodeColour(uint8_t code) {
    const unsigned hue = (code * 97u) % 360u;
    const unsigned light = 150 + (code * 53u) % 70u;  // 150..219
    const unsigned sector = hue / 60, f = (hue % 60) * light / 60;
    Uint8 r = 0, g = 0, b = 0;
    const Uint8 L = Uint8(light), up = Uint8(f), down = Uint8(light - f), low = 40;
    switch (sector) {
        case 0: r = L, g = up, b = low; break;
        case 1: r = down, g = L, b = low; break;
        case 2: r = low, g = L, b = up; break;
        case 3: r = low, g = down, b = L; break;
        case 4: r = up, g = low, b = L; break;
        default: r = L, g = low, b = down; break;
    }
    return SDL_Color{r, g, b, 255};
}

void Disc(SDL_Surface* s, int cx, int cy, int radius, SDL_Color c) {
    for (int dy = -radius; dy <= radius; ++dy) {
        int half = 0;
        while ((half + 1) * (half + 1) + dy * dy <= radius * radius) ++half;
        Fill(s, cx - half, cy + dy, 2 * half + 1, 1, c);
    }
}
}  // namespace

SdlScreen::SdlScreen() {
    const char* shot = std::getenv("TAMBLOR_SCREENSHOT");
    if (shot != nullptr && *shot != 0) shotPath_ = shot;
}

SdlScreen::~SdlScreen() {
    CloseFonts();
    if (TTF_WasInit() != 0) TTF_Quit();
}

void SdlScreen::CloseFonts() {
    for (Kept& k : kept_) {
        if (k.surface != nullptr) SDL_FreeSurface(k.surface);
        k = Kept{};
    }
    for (SDL_Surface*& glyph : digits_) {
        if (glyph != nullptr) SDL_FreeSurface(glyph);
        glyph = nullptr;
    }
    for (TTF_Font*& font : fonts_) {
        if (font != nullptr) TTF_CloseFont(font);
        font = nullptr;
    }
    fontHeight_ = 0;
}

bool SdlScreen::FontsFor(int height) {
    if (fontMissing_) return false;
    if (fontHeight_ == height && fonts_[kLarge] != nullptr) return true;
    CloseFonts();
    const char* path = std::getenv("TAMBLOR_FONT");
    if (path == nullptr || *path == 0) path = TAMBLOR_FONT_FILE;
    if (TTF_WasInit() == 0 && TTF_Init() != 0) {
        std::fprintf(stderr, "Tamblor: no text on the window (%s); the window stays plain.\n", TTF_GetError());
        fontMissing_ = true;
        return false;
    }
    // Line heights of about 1/11, 1/14 and 1/16 of the window.
    const int sizes[kFaces] = {height / 13, height / 16, height / 18};
    for (int f = 0; f < kFaces; ++f) {
        fonts_[f] = TTF_OpenFont(path, sizes[f] < 8 ? 8 : sizes[f]);
        if (fonts_[f] == nullptr) {
            std::fprintf(stderr, "Tamblor: cannot open the font %s (%s); the window stays plain.\n", path,
                         TTF_GetError());
            CloseFonts();
            fontMissing_ = true;
            return false;
        }
    }
    for (int d = 0; d < 11; ++d) {
        const char glyph[2] = {d < 10 ? char('0' + d) : ',', 0};
        digits_[d] = TTF_RenderUTF8_Blended(fonts_[kSmall], glyph, kWhite);
    }
    fontHeight_ = height;
    return true;
}

void SdlScreen::PutNumber(SDL_Surface* target, double number, int x, int y) {
    char digits[32];
    const int n = std::snprintf(digits, sizeof digits, "%.0f", number < 0 ? 0.0 : number);
    for (int i = 0; i < n; ++i) {
        // Thousands marked, as the spoken score is.
        const bool comma = i > 0 && (n - i) % 3 == 0;
        for (SDL_Surface* glyph : {comma ? digits_[10] : nullptr, digits_[digits[i] - '0']}) {
            if (glyph == nullptr) continue;
            SDL_Rect at{x, y, glyph->w, glyph->h};
            SDL_BlitSurface(glyph, nullptr, target, &at);
            x += glyph->w;
        }
    }
}

SDL_Surface* SdlScreen::Text(const char* text, Face face, SDL_Color colour, int wrap) {
    if (text == nullptr || *text == 0) return nullptr;
    const Uint32 key = Uint32(colour.r) << 16 | Uint32(colour.g) << 8 | colour.b;
    Kept* oldest = &kept_[0];
    for (Kept& k : kept_) {
        if (k.surface != nullptr && k.face == face && k.wrap == wrap && k.colour == key && k.text == text) {
            k.used = ++uses_;
            return k.surface;
        }
        if (k.used < oldest->used) oldest = &k;
    }
    SDL_Surface* made = wrap > 0 ? TTF_RenderUTF8_Blended_Wrapped(fonts_[face], text, colour, Uint32(wrap))
                                 : TTF_RenderUTF8_Blended(fonts_[face], text, colour);
    if (made == nullptr) return nullptr;
    if (oldest->surface != nullptr) SDL_FreeSurface(oldest->surface);
    *oldest = Kept{text, face, wrap, key, made, ++uses_};
    return made;
}

int SdlScreen::Put(SDL_Surface* target, const char* text, Face face, SDL_Color colour, int x, int y, int wrap) {
    SDL_Surface* s = Text(text, face, colour, wrap);
    if (s == nullptr) return 0;
    SDL_Rect at{x, y, s->w, s->h};
    SDL_BlitSurface(s, nullptr, target, &at);
    return s->h;
}

void SdlScreen::Menu(SDL_Surface* target, const Frame& frame, int bottom) {
    const int margin = target->h / 40;
    int y = margin;
    y += Put(target, frame.title, kLarge, kYellow, margin, y) + margin;
    const int line = TTF_FontLineSkip(fonts_[kLarge]);
    const int rows = line > 0 ? (bottom - y) / line : 0;
    if (rows <= 0) return;
    // The current entry always in sight, the list scrolled around it.
    int first = frame.current - rows / 2;
    if (first > frame.entryCount - rows) first = frame.entryCount - rows;
    if (first < 0) first = 0;
    for (int i = first; i < frame.entryCount && i < first + rows; ++i, y += line) {
        const bool here = i == frame.current;
        if (here) Fill(target, 0, y, target->w, line, kYellow);
        Put(target, frame.entries[i], kLarge, here ? kBlack : kWhite, 2 * margin, y);
    }
}

void SdlScreen::Table(SDL_Surface* target, const Frame& frame, int bottom) {
    const int margin = target->h / 40;
    int side = bottom - 2 * margin;
    if (side > target->w * 3 / 5) side = target->w * 3 / 5;
    cell_ = side / kFrameMapSize > 0 ? side / kFrameMapSize : 1;
    mapX_ = margin, mapY_ = margin;
    // Only the cells inside the part being drawn (all of them for a whole frame).
    SDL_Rect clip;
    SDL_GetClipRect(target, &clip);
    auto first = [&](int from, int origin) { return from <= origin ? 0 : (from - origin) / cell_; };
    auto end = [&](int to, int origin) {
        const int n = to <= origin ? 0 : (to - origin) / cell_ + 1;
        return n < kFrameMapSize ? n : kFrameMapSize;
    };
    const int x0 = first(clip.x, mapX_), x1 = end(clip.x + clip.w, mapX_);
    const int y0 = first(clip.y, mapY_), y1 = end(clip.y + clip.h, mapY_);
    for (int x = x0; x < x1; ++x)
        for (int y = y0; y < y1; ++y)
            if (frame.cells[x][y] != 0)
                Fill(target, mapX_ + x * cell_, mapY_ + y * cell_, cell_, cell_, CodeColour(frame.cells[x][y]));
    auto px = [&](float v, int origin) { return origin + int((v + 0.5f) * float(cell_)); };
    if (frame.rayShown) {
        const int x0 = px(frame.rayX0, mapX_), y0 = px(frame.rayY0, mapY_);
        const int x1 = px(frame.rayX1, mapX_), y1 = px(frame.rayY1, mapY_);
        const int steps = std::abs(x1 - x0) > std::abs(y1 - y0) ? std::abs(x1 - x0) : std::abs(y1 - y0);
        const int dot = cell_ / 3 > 1 ? cell_ / 3 : 2;
        for (int i = 0; i <= steps; i += 1)
            Fill(target, x0 + (x1 - x0) * i / (steps > 0 ? steps : 1) - dot / 2,
                 y0 + (y1 - y0) * i / (steps > 0 ? steps : 1) - dot / 2, dot, dot, kCyan);
    }
    if (frame.ballShown) Disc(target, px(frame.ballX, mapX_), px(frame.ballY, mapY_), cell_ > 3 ? cell_ : 3, kWhite);
    // The score beside the map.
    const int x = mapX_ + kFrameMapSize * cell_ + 2 * margin;
    panelX_ = x - margin;
    const int wrap = target->w - x - margin;
    if (wrap <= 0) return;
    int y = margin;
    y += Put(target, frame.title, kSmall, kYellow, x, y, wrap) + margin;
    char line[64];
    figuresTop_ = y;
    y += Put(target, "Score", kSmall, kWhite, x, y);
    PutNumber(target, frame.score, x, y);
    y += TTF_FontLineSkip(fonts_[kSmall]) + margin;
    std::snprintf(line, sizeof line, "Balls left: %d", frame.ballsLeft);
    y += Put(target, line, kSmall, kWhite, x, y, wrap);
    if (frame.multiplier > 1) {
        std::snprintf(line, sizeof line, "Points x%d", frame.multiplier);
        y += Put(target, line, kSmall, kWhite, x, y, wrap);
    }
    figuresBottom_ = y;
    // The legend: each colour of the map and what it is, as many as fit.
    y += margin;
    const int skip = TTF_FontLineSkip(fonts_[kSmall]);
    const int swatch = skip * 3 / 5;
    for (int i = 0; i < frame.legendCount && y + skip <= bottom; ++i) {
        Fill(target, x, y + (skip - swatch) / 2, swatch, swatch, CodeColour(frame.legend[i].code));
        const int h = Put(target, frame.legend[i].text, kSmall, kWhite, x + swatch * 3 / 2, y, wrap - swatch * 3 / 2);
        y += h > skip ? h : skip;
    }
}

void SdlScreen::Caption(SDL_Surface* target, const Frame& frame, int top) {
    Fill(target, 0, top, target->w, target->h - top, kCaptionBand);
    Fill(target, 0, top, target->w, target->h / 150 + 1, kYellow);
    const int margin = target->h / 40;
    const Face face = frame.mode == ScreenMode::CaptionsOnly ? kLarge : kCaption;
    SDL_Surface* s = Text(frame.caption, face, kWhite, target->w - 2 * margin);
    if (s == nullptr) return;
    // The first lines, as many as the band holds.
    SDL_Rect from{0, 0, s->w, target->h - top - 2 * margin};
    SDL_Rect at{margin, top + margin, s->w, from.h};
    SDL_BlitSurface(s, &from, target, &at);
}

void SdlScreen::DrawAll(SDL_Surface* target, const Frame& frame) {
    if (frame.mode == ScreenMode::Off || !FontsFor(target->h)) {
        Fill(target, 0, 0, target->w, target->h, kPlain);
        return;
    }
    Fill(target, 0, 0, target->w, target->h, kBlack);
    const int band = frame.mode == ScreenMode::CaptionsOnly ? 0 : target->h * 3 / 10;
    const int top = target->h - band;
    bandTop_ = frame.mode == ScreenMode::CaptionsOnly ? 0 : top;
    if (frame.mode == ScreenMode::TableAndCaptions) {
        if (frame.scene == Scene::Menu) Menu(target, frame, top);
        if (frame.scene == Scene::Table) Table(target, frame, top);
    }
    Caption(target, frame, top);
}

// The box around the ball's disc and the aim ray, in window pixels.
SDL_Rect SdlScreen::MovingPart(const Frame& frame) const {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    auto take = [&](float x, float y, int reach) {
        const int px = mapX_ + int((x + 0.5f) * float(cell_)), py = mapY_ + int((y + 0.5f) * float(cell_));
        if (px - reach < left) left = px - reach;
        if (py - reach < top) top = py - reach;
        if (px + reach > right) right = px + reach;
        if (py + reach > bottom) bottom = py + reach;
    };
    const int radius = (cell_ > 3 ? cell_ : 3) + 1;
    if (frame.ballShown) take(frame.ballX, frame.ballY, radius);
    const int dot = cell_ / 3 > 1 ? cell_ / 3 : 2;
    if (frame.rayShown) {
        take(frame.rayX0, frame.rayY0, dot);
        take(frame.rayX1, frame.rayY1, dot);
    }
    if (right < 0) return SDL_Rect{0, 0, 0, 0};
    return SDL_Rect{left, top, right - left + 1, bottom - top + 1};
}

bool SdlScreen::Changes(const Frame& frame, SDL_Surface* target, SDL_Rect* rects, int* count) {
    *count = 0;
    const Frame& was = last_;
    if (!shown_ || target->w != shownW_ || target->h != shownH_ || frame.mode != was.mode ||
        frame.scene != was.scene || frame.title != was.title)
        return false;
    if (frame.mode == ScreenMode::Off || fontMissing_) return true;  // plain either way
    if (frame.scene == Scene::Menu &&
        (frame.current != was.current || frame.entryCount != was.entryCount ||
         std::memcmp(frame.entries, was.entries, sizeof frame.entries) != 0))
        return false;
    if (frame.scene == Scene::Table && frame.mode == ScreenMode::TableAndCaptions) {
        if (std::memcmp(frame.cells, was.cells, sizeof frame.cells) != 0) return false;
        if (frame.ballShown != was.ballShown || frame.ballX != was.ballX || frame.ballY != was.ballY ||
            frame.rayShown != was.rayShown || frame.rayX0 != was.rayX0 || frame.rayY0 != was.rayY0 ||
            frame.rayX1 != was.rayX1 || frame.rayY1 != was.rayY1) {
            for (const Frame* f : {&was, &frame}) {
                const SDL_Rect r = MovingPart(*f);
                if (r.w > 0) rects[(*count)++] = r;
            }
        }
        // The multiplier's line coming or going moves the legend: the whole
        // panel then; otherwise only the lines of figures.
        if ((frame.multiplier > 1) != (was.multiplier > 1))
            rects[(*count)++] = SDL_Rect{panelX_, 0, target->w - panelX_, bandTop_};
        else if (frame.score != was.score || frame.ballsLeft != was.ballsLeft || frame.multiplier != was.multiplier)
            rects[(*count)++] = SDL_Rect{panelX_, figuresTop_, target->w - panelX_, figuresBottom_ - figuresTop_};
    }
    if (std::strcmp(frame.caption, was.caption) != 0)
        rects[(*count)++] = SDL_Rect{0, bandTop_, target->w, target->h - bandTop_};
    return true;
}

void SdlScreen::Paint(SDL_Window* window, const Frame& frame, bool whole) {
    SDL_Surface* target = SDL_GetWindowSurface(window);
    if (target == nullptr) return;
    SDL_Rect rects[4];
    int count = 0;
    if (whole || !Changes(frame, target, rects, &count)) {
        DrawAll(target, frame);
        SDL_UpdateWindowSurface(window);
    } else if (count > 0) {
        // Each part drawn as the whole would be, clipped to the part.
        const SDL_Rect all{0, 0, target->w, target->h};
        int kept = 0;
        for (int i = 0; i < count; ++i) {
            SDL_Rect part;
            if (!SDL_IntersectRect(&rects[i], &all, &part)) continue;
            SDL_SetClipRect(target, &part);
            DrawAll(target, frame);
            rects[kept++] = part;
        }
        SDL_SetClipRect(target, nullptr);
        if (kept > 0) SDL_UpdateWindowSurfaceRects(window, rects, kept);
    }
    last_ = frame;
    shown_ = true;
    shownW_ = target->w, shownH_ = target->h;
    if (shotPath_ != nullptr) SaveShot(target, frame);
}

// For the end-to-end runs only: the picture as a BMP with a few notes
// after its pixels (BMP readers stop at the pixels), renamed into place
// whole so a reader never sees half of one.
void SdlScreen::SaveShot(SDL_Surface* target, const Frame& frame) {
    const std::string path(shotPath_), temp = path + ".tmp";
    // Whether drawing only the changes left the picture a whole redraw makes.
    int same = 0;
    const SDL_PixelFormat* format = target->format;
    if (SDL_Surface* whole =
            SDL_CreateRGBSurfaceWithFormat(0, target->w, target->h, format->BitsPerPixel, format->format)) {
        DrawAll(whole, frame);
        same = 1;
        const size_t row = size_t(target->w) * format->BytesPerPixel;
        for (int y = 0; y < target->h && same == 1; ++y)
            if (std::memcmp(static_cast<const uint8_t*>(target->pixels) + y * target->pitch,
                            static_cast<const uint8_t*>(whole->pixels) + y * whole->pitch, row) != 0)
                same = 0;
        SDL_FreeSurface(whole);
    }
    if (SDL_SaveBMP(target, temp.c_str()) != 0) return;
    FILE* f = std::fopen(temp.c_str(), "a");
    if (f == nullptr) return;
    std::fprintf(f, "\nTAMBLOR size %d %d scene %d current %d map %d %d %d ball %d %.3f %.3f legend %d whole %d\n",
                 target->w, target->h, int(frame.scene), frame.current, mapX_, mapY_, cell_, frame.ballShown ? 1 : 0,
                 double(frame.ballX), double(frame.ballY), frame.legendCount, same);
    if (std::fclose(f) == 0) std::rename(temp.c_str(), path.c_str());
}

}  // namespace tamblor
