#include "table/ball.h"

#include <algorithm>
#include <cmath>

#include "audio/positional.h"
#include "platform/platform.h"
#include "table/table_map.h"

namespace tamblor {

BallState Ball;
SharedGameState Game;
uint32_t FieldGuardResets = 0;

namespace {
constexpr float kDegreesPerHeading = 2.8125f;  // 360 / 128
constexpr float kStepBaseMs = 70.0f;
constexpr float kStepMsPerSpeed = 20.0f;
constexpr double kSlowestSpeedToLower = -0.7;
constexpr int kLastBounceIndex = 16;

// round(Rnd x 20 - 10) + centre: the re-aim of a ball running along an axis.
float AroundAxis(float centre) { return std::nearbyint(Rnd() * 20.0f - 10.0f) + centre; }
}  // namespace

StepVector StepForAngle(float degrees) {
    float x = 1, y = 1, z = 1;
    TransformPoint(x, y, z, degrees);
    return {x, z};
}

StepVector StepForHeading(float direction) { return StepForAngle(direction * kDegreesPerHeading); }

void MoveBall() {
    StepVector step = StepForHeading(Ball.Direction);
    Ball.X -= step.dx;
    Ball.Y -= step.dy;
}

bool BallStepDue(uint32_t now) {
    int32_t elapsed = static_cast<int32_t>(now - static_cast<uint32_t>(Game.LastStepTick));
    return double(elapsed) > double(kStepBaseMs - kStepMsPerSpeed * Ball.Speed);
}

int MapIndex(float v) {
    float r = std::nearbyint(v);
    if (!(r >= 0)) return 0;  // also a NaN
    return r > float(kMapArraySize - 1) ? kMapArraySize - 1 : static_cast<int>(r);
}

CellsAround ReadCellsAround(float x, float y) {
    auto read = [](int cx, int cy) {
        const MapCell& cell = TableMap.Cells[cx][cy];
        return CellRead{cell.Code, cell.Number};
    };
    CellsAround a;
    a.x = MapIndex(x);
    a.y = MapIndex(y);
    a.up = MapIndex(y - 1);
    a.down = MapIndex(y + 1);
    a.left = MapIndex(x - 1);
    a.right = MapIndex(x + 1);
    a.C = read(a.x, a.y);
    a.U = read(a.x, a.up);
    a.D = read(a.x, a.down);
    a.L = read(a.left, a.y);
    a.R = read(a.right, a.y);
    return a;
}

bool BallOutsideField(float lo, float hi) {
    bool inside = Ball.X >= lo && Ball.X <= hi && Ball.Y >= lo && Ball.Y <= hi;
    if (!inside) ++FieldGuardResets;
    return !inside;
}

void Reflect(Side side, float& a) {
    // Each rule sees the result of the one before; the odd bounds (98 on the
    // floor, 33 on the right wall) are part of how the tables play.
    switch (side) {
    case Side::Down:
        if (a > 48 && a < 80) a = 96 - a;
        if (a > 96 && a < 112) a = 224 - a;
        if (a > 80 && a < 98) a = 96 - a;
        if (a == 80) a = AroundAxis(16);
        break;
    case Side::Up:
        if (a > 16 && a < 48) a = 96 - a;
        if (a > 112 && a < 128) a = 224 - a;
        if (a < 16) a = 96 - a;
        if (a == 16) a = AroundAxis(80);
        break;
    case Side::Left:
        if (a > 80 && a < 112) a = 160 - a;
        if (a > 112 && a < 128) a = 160 - a;
        if (a < 16) a = 32 - a;
        if (a == 112) a = AroundAxis(48);
        break;
    case Side::Right:
        if (a > 48 && a < 80) a = 160 - a;
        if (a < 33) a = 32 - a;
        if (a > 32 && a < 48) a = 160 - a;
        if (a == 48) a = AroundAxis(112);
        break;
    }
}

void RecordBounce(float nudge, bool eitherWay) {
    float& a = Ball.Direction;
    uint8_t* history = Game.BounceHistory;
    if (Game.BounceIndex < 1 || Game.BounceIndex > kLastBounceIndex) Game.BounceIndex = 1;
    const int at = Game.BounceIndex;
    if (a < 0) a = 1;
    history[at] = static_cast<uint8_t>(std::clamp(std::nearbyint(a), 0.0f, 255.0f));
    // Every earlier occurrence of the last two records nudges once more.
    for (int i = at - 1; i >= 1; --i) {
        if (history[at] == history[i] && history[at - 1] == history[i - 1]) {
            if (a <= 0) a += nudge;
            else if (eitherWay && Rnd() < 0.5f) a = WrappedHeading(a + nudge);
            else a -= nudge;
        }
    }
    Game.BounceIndex = static_cast<uint8_t>(at == kLastBounceIndex ? 1 : at + 1);
}

void LowerSpeed(double by) {
    if (double(Ball.Speed) > kSlowestSpeedToLower) Ball.Speed = static_cast<float>(double(Ball.Speed) - by);
}

void WallBounce(Side side, const BounceStyle& style) {
    RecordBounce(style.nudge, style.nudgeEitherWay);
    for (int i = 0; i < style.lossCount; ++i) LowerSpeed(style.speedLoss);
    Reflect(side, Ball.Direction);
    if (style.recordOutgoing) RecordBounce(style.nudge, style.nudgeEitherWay);
}

float WrappedHeading(float direction) {
    const float turn = 128.0f;
    float wrapped = std::fmod(direction, turn);
    if (wrapped < 0) wrapped += turn;
    return wrapped >= turn ? 0.0f : wrapped;
}

int DrawUpTo(float n) { return static_cast<int>(std::nearbyint(Rnd() * n)); }

}  // namespace tamblor
