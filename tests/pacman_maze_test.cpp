// The Pac Man maze as the launch holes' sweeps hear it: a pill, fruit or
// ghost cue should name what the ball, fired while that cue sounds, runs
// into on its straight way out of the hole. Each probe is traced here the
// way the hole's scan takes it, and the shot along the heading the hole
// gives it, over the real maze.
#include <array>
#include <cstdlib>
#include <sstream>

#include "table_checks.h"
#include "tables/pacman/pacman.h"

namespace tamblor::test {
namespace {

using namespace pacman;

constexpr int kProbeSteps = 50;
constexpr int kShotSteps = 120;  // far enough to cross the whole maze

enum Target { kPill, kFruit, kGhost, kTargets };
const char* const kTargetNames[kTargets] = {"pill", "fruit", "ghost"};

struct Hole {
    bool top;
    float x, y;
    int last;
    float ProbeDegrees(int i) const { return top ? float(112 - i) * 2.8125f : float(i) * 2.8125f - 40; }
    float ShotHeading(int i) const { return top ? float(112 - i) : float((i + 113) % 128); }
};
const Hole kHoles[] = {{true, 25, 6, 63}, {false, 25, 44, 60}};

bool Solid(const CellRead& cell, bool power) {
    if (cell.code != code::Wall && cell.code != code::Bumper) return false;
    return !(power && cell.number == 1);
}

// What one probe announces: with power off, pills and the fruit until a
// bumper ends it; with power on, the first ghost.
std::array<bool, kTargets> Announced(const Hole& hole, int i, bool power) {
    std::array<bool, kTargets> heard{};
    const StepVector step = StepForAngle(hole.ProbeDegrees(i));
    float x = hole.x, y = hole.y;
    for (int s = 0; s < kProbeSteps; ++s) {
        x -= step.dx;
        y -= step.dy;
        if (!(x > 0 && x < 50 && y > 0 && y < 50)) continue;
        const uint8_t c = TableMap.Cells[MapIndex(x)][MapIndex(y)].Code;
        if (power && c == code::Ghost) heard[kGhost] = true;
        if (power ? c == code::Ghost : c == code::Bumper) break;
        heard[kPill] |= !power && c == code::Pill;
        heard[kFruit] |= !power && c == code::Fruit;
    }
    return heard;
}

// What the shot meets before its first bounce (or a ghost that takes it).
std::array<bool, kTargets> Reached(const Hole& hole, int i, bool power) {
    std::array<bool, kTargets> met{};
    const StepVector step = StepForHeading(hole.ShotHeading(i));
    float x = hole.x, y = hole.y;
    for (int s = 0; s < kShotSteps; ++s) {
        x -= step.dx;
        y -= step.dy;
        const CellsAround cells = ReadCellsAround(x, y);
        met[kPill] |= cells.C.code == code::Pill;
        met[kFruit] |= cells.C.code == code::Fruit;
        met[kGhost] |= cells.C.code == code::Ghost;
        if (cells.C.code == code::Ghost && !power) break;
        if (Solid(cells.U, power) || Solid(cells.D, power) || Solid(cells.L, power) || Solid(cells.R, power) ||
            cells.C.code == code::Hole || cells.L.code == code::Tunnel || cells.R.code == code::Tunnel)
            break;
    }
    return met;
}

TEST_F(PacManTest, WhatASweepAnnouncesTheShotOnThatCueRunsInto) {
    LoadTable();
    int announced[kTargets] = {}, hits = 0;
    std::ostringstream misses;
    for (const Hole& hole : kHoles)
        for (bool power : {false, true})
            for (int i = 0; i <= hole.last; ++i) {
                const auto heard = Announced(hole, i, power);
                const auto met = Reached(hole, i, power);
                for (int t = 0; t < kTargets; ++t) {
                    if (!heard[t]) continue;
                    ++announced[t];
                    if (met[t]) ++hits;
                    else misses << (hole.top ? " top " : " bottom ") << i << " " << kTargetNames[t] << ";";
                }
            }
    for (int t = 0; t < kTargets; ++t) EXPECT_GT(announced[t], 0) << kTargetNames[t] << " is never announced";
    // Most announcing positions reach what they announce straight.
    EXPECT_GE(hits * 10, (announced[kPill] + announced[kFruit] + announced[kGhost]) * 8) << misses.str();
}

}  // namespace
}  // namespace tamblor::test
