// What the table rule tests share: the headers each of them needs beside its
// table's own, and checks of what an act scored, which way the ball heads,
// sounds a rule picks one of at random, and listening to every sound as the
// game yields.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "core/app.h"
#include "core/keyboard.h"
#include "core/settings.h"
#include "platform/scripted_platform.h"
#include "support/table_fixture.h"
#include "table/ball.h"
#include "table/table.h"
#include "table/table_map.h"

namespace tamblor::test {

// The points `act` scored.
inline double Gain(const std::function<void()>& act) {
    const double before = Game.Score;
    act();
    return Game.Score - before;
}

// Whether the ball heads anywhere from `lowest` to `highest`.
inline ::testing::AssertionResult HeadingWithin(float lowest, float highest) {
    if (Ball.Direction >= lowest && Ball.Direction <= highest) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the ball heads " << Ball.Direction << ", not " << lowest << ".."
                                         << highest;
}

// A fresh bounce history: no bounce counts as a repeat.
inline void ClearBounceHistory() {
    Game.BounceIndex = 1;
    std::fill(std::begin(Game.BounceHistory), std::end(Game.BounceHistory), uint8_t(0));
}

// How often any of `labels` was started: a rule that plays one of them at random.
inline int CountAny(const ScriptedPlatform& platform, std::initializer_list<const char*> labels) {
    const std::vector<std::string> heard = platform.Played();
    int n = 0;
    for (const char* label : labels) n += int(std::count(heard.begin(), heard.end(), label));
    return n;
}

// Calls `hear` with every sound event, in order, as the game yields.
inline void OnEachSound(ScriptedPlatform& platform, std::function<void(const SoundEvent&)> hear) {
    platform.OnYield([&platform, hear, seen = size_t(0)]() mutable {
        for (const std::vector<SoundEvent>& log = platform.SoundLog(); seen < log.size(); ++seen) hear(log[seen]);
    });
}

}  // namespace tamblor::test
