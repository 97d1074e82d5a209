// The Pac Man maze as the launch holes' sweeps hear it: a pill, fruit or
// ghost cue should name what the ball, fired while that cue sounds, runs
// into on its straight way out of the hole. Each probe is traced here the
// way the hole's scan takes it, and the shot along the heading the hole
// gives it, over the real maze.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <iostream>
#include <sstream>

#include "support/table_fixture.h"
#include "table/ball.h"
#include "table/table_map.h"
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
        const MapCell& cell = TableMap.Cells[MapIndex(x)][MapIndex(y)];
        if (power) {
            if (cell.Code == code::Ghost) {
                heard[kGhost] = true;
                break;
            }
        } else if (cell.Code == code::Bumper) {
            break;
        } else if (cell.Code == code::Pill) {
            heard[kPill] = true;
        } else if (cell.Code == code::Fruit) {
            heard[kFruit] = true;
        }
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
        if (cells.C.code == code::Pill) met[kPill] = true;
        if (cells.C.code == code::Fruit) met[kFruit] = true;
        if (cells.C.code == code::Ghost) {
            met[kGhost] = true;
            if (!power) break;
        }
        if (Solid(cells.U, power) || Solid(cells.D, power) || Solid(cells.L, power) || Solid(cells.R, power) ||
            cells.C.code == code::Hole || cells.L.code == code::Tunnel || cells.R.code == code::Tunnel)
            break;
    }
    return met;
}

class PacManMaze : public PacManTest {};

TEST_F(PacManMaze, WhatASweepAnnouncesTheShotOnThatCueRunsInto) {
    LoadTable();
    int announced[kTargets] = {}, reached[kTargets] = {};
    std::ostringstream misses;
    for (const Hole& hole : kHoles)
        for (bool power : {false, true})
            for (int i = 0; i <= hole.last; ++i) {
                const auto heard = Announced(hole, i, power);
                const auto met = Reached(hole, i, power);
                for (int t = 0; t < kTargets; ++t) {
                    if (!heard[t]) continue;
                    ++announced[t];
                    if (met[t]) ++reached[t];
                    else misses << (hole.top ? " top " : " bottom ") << i << " " << kTargetNames[t] << ";";
                }
            }
    int all = 0, hits = 0;
    for (int t = 0; t < kTargets; ++t) {
        std::cout << "[ maze ] " << kTargetNames[t] << ": " << reached[t] << " of " << announced[t]
                  << " announcing positions reached straight\n";
        all += announced[t];
        hits += reached[t];
        EXPECT_GT(announced[t], 0) << kTargetNames[t] << " is never announced";
    }
    if (!misses.str().empty()) std::cout << "[ maze ] missed:" << misses.str() << "\n";
    EXPECT_GE(hits * 10, all * 8) << misses.str();
}

}  // namespace
}  // namespace tamblor::test
