#include "core/screen.h"

#include <cstring>
#include <string>

#include "audio/sound.h"
#include "audio/system_speech.h"
#include "audio/voice_text.h"
#include "platform/platform.h"
#include "table/ball.h"
#include "table/table.h"
#include "table/table_map.h"
#include "table/tour_data.h"

namespace tamblor {

namespace {
Frame g_frame;
bool g_changed = false;
bool g_hooked = false;
bool g_drawn = false;         // a frame went to the window
ScreenMode g_drawnMode = ScreenMode::TableAndCaptions;
uint32_t g_drawnTick = 0;
uint32_t g_takenTick = 0;     // the table was last read in this clock step
bool g_taken = false;
uint32_t g_cellsTick = 0;     // and its cells at this one
bool g_cellsTaken = false;
uint32_t g_captionTick = 0;   // when the caption was last heard going on
bool g_prompt = false;        // a change drawn at once: a menu, a caption, the aim

// The ball and the score are drawn every other clock step (32 times a
// second): smooth to the eye, and half the drawing a step would cost.
constexpr uint32_t kMotionEveryMs = 30;

void Changed() {
    g_changed = true;
    g_prompt = true;
    if (!g_hooked) {
        SetBeforeYield(PresentScreen);
        g_hooked = true;
    }
}

template <typename T>
void Update(T& field, T value) {
    if (field == value) return;
    field = value;
    g_changed = true;
}

// The table's state as it is now; the ball loop only moves the ball and
// counts the score, this reads them.
// The cells change seldom (a dot eaten, a door opening) and reading them
// all walks the whole map, so they are read a few times a second; the
// ball and the score at every step.
constexpr uint32_t kCellsEveryMs = 125;

void TakeTable(uint32_t now) {
    if (!g_cellsTaken || now - g_cellsTick >= kCellsEveryMs) {
        g_cellsTaken = true;
        g_cellsTick = now;
        for (int x = 0; x < kFrameMapSize; ++x)
            for (int y = 0; y < kFrameMapSize; ++y) Update(g_frame.cells[x][y], TableMap.Cells[x][y].Code);
    }
    Update(g_frame.ballShown, Game.GameRunning);
    Update(g_frame.ballX, Ball.X);
    Update(g_frame.ballY, Ball.Y);
    Update(g_frame.score, Game.Score);
    Update(g_frame.ballsLeft, int(Game.BallsLeft));
    const TableDesc* table = CurrentTable;
    Update(g_frame.multiplier, table != nullptr && table->scoreMultiplier != nullptr ? table->scoreMultiplier() : 1);
}

bool Speaking() { return VoiceBuffer.IsPlaying() || TextSpeaking(); }
}  // namespace

void ScreenMenu(const char* title, const char* const* entryVoices, int count) {
    g_frame.scene = Scene::Menu;
    g_frame.title = title;
    g_frame.entryCount = count < kFrameEntries ? count : kFrameEntries;
    for (int i = 0; i < g_frame.entryCount; ++i) g_frame.entries[i] = VoiceText(entryVoices[i]).c_str();
    g_frame.current = 0;
    g_frame.rayShown = false;
    Changed();
}

void ScreenEntry(int current) {
    if (g_frame.current == current) return;
    g_frame.current = current;
    Changed();
}

namespace {
// The legend's names: a thing's short name, or its caption up to the
// first stop, without its article ("A wall of the maze." is "wall of the maze").
std::string g_legendTexts[kFrameLegend];

// The map's codes the table's tour names, in the tour's order, each once.
void TakeLegend(int table) {
    g_frame.legendCount = 0;
    bool onMap[256] = {};
    for (int x = 0; x < kFrameMapSize; ++x)
        for (int y = 0; y < kFrameMapSize; ++y) onMap[TableMap.Cells[x][y].Code] = true;
    bool named[256] = {};
    for (const TourEntry& e : LoadTour(table).entries) {
        if (g_frame.legendCount == kFrameLegend) break;
        if (e.code <= 0 || e.code > 255 || !onMap[e.code] || named[e.code]) continue;
        std::string text = VoiceText(e.shortVoice.empty() ? e.captionVoice : e.shortVoice);
        const size_t stop = text.find_first_of(":.,;");
        if (stop != std::string::npos) text.resize(stop);
        for (const char* article : {"A ", "An ", "The "})
            if (text.rfind(article, 0) == 0) text.erase(0, std::strlen(article));
        if (text.empty()) continue;
        named[e.code] = true;
        g_legendTexts[g_frame.legendCount] = std::move(text);
        g_frame.legend[g_frame.legendCount] = {uint8_t(e.code), g_legendTexts[g_frame.legendCount].c_str()};
        ++g_frame.legendCount;
    }
}
}  // namespace

void ScreenTable(const char* nameVoice, int table) {
    TakeLegend(table);
    g_frame.scene = Scene::Table;
    g_cellsTaken = false;  // a new map: read at once
    g_frame.title = VoiceText(nameVoice).c_str();
    g_frame.rayShown = false;
    Changed();
}

void ScreenRay(float x, float y, float dx, float dy, int steps) {
    // The probe steps by subtracting its vector.
    const float x1 = x - dx * float(steps), y1 = y - dy * float(steps);
    if (g_frame.rayShown && g_frame.rayX0 == x && g_frame.rayY0 == y && g_frame.rayX1 == x1 && g_frame.rayY1 == y1)
        return;
    g_frame.rayShown = true;
    g_frame.rayX0 = x, g_frame.rayY0 = y, g_frame.rayX1 = x1, g_frame.rayY1 = y1;
    Changed();
}

void ScreenNoRay() {
    if (!g_frame.rayShown) return;
    g_frame.rayShown = false;
    Changed();
}

void ShowCaption(const char* text) {
    std::strncpy(g_frame.caption, text, sizeof g_frame.caption - 1);
    g_frame.caption[sizeof g_frame.caption - 1] = 0;
    g_captionTick = CurrentPlatform().clock != nullptr ? GetTick() : 0;
    Changed();
}

void SetScreenMode(uint8_t mode) {
    const ScreenMode m = mode == 1 ? ScreenMode::CaptionsOnly : mode == 2 ? ScreenMode::Off : ScreenMode::TableAndCaptions;
    if (g_frame.mode == m) return;
    g_frame.mode = m;
    Changed();
}

void PresentScreen() {
    const Platform& platform = CurrentPlatform();
    if (platform.window == nullptr || platform.clock == nullptr) return;
    // Off: one plain frame, then nothing more to do.
    if (g_frame.mode == ScreenMode::Off && g_drawn && g_drawnMode == ScreenMode::Off) return;
    const uint32_t now = GetTick();
    if (g_drawn && now == g_drawnTick) return;
    // A caption stays while its voice speaks, and a while after.
    if (g_frame.caption[0] != 0) {
        if (Speaking()) g_captionTick = now;
        else if (now - g_captionTick >= kCaptionHoldMs) g_frame.caption[0] = 0, g_changed = true;
    }
    // The ball moves once a clock step: the table is read once a step, not
    // at each of the passes between.
    if (g_frame.scene == Scene::Table && (!g_taken || now != g_takenTick)) {
        TakeTable(now);
        g_taken = true;
        g_takenTick = now;
    }
    if (!g_changed) return;
    if (!g_prompt && g_drawn && now - g_drawnTick < kMotionEveryMs) return;
    g_changed = g_prompt = false;
    g_drawn = true;
    g_drawnTick = now;
    g_drawnMode = g_frame.mode;
    platform.window->Draw(g_frame);
}

const Frame& ScreenFrame() { return g_frame; }

void ForgetScreen() {
    const ScreenMode mode = g_frame.mode;
    g_frame = Frame{};
    g_frame.mode = mode;
    g_changed = g_prompt = g_drawn = g_taken = g_cellsTaken = false;
    g_drawnTick = g_captionTick = 0;
}

}  // namespace tamblor
