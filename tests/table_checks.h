// What the table rule tests share: the headers each of them needs beside its
// table's own, and checks of what an act scored, which way the ball heads,
// sounds a rule picks one of at random, and listening to every sound as the
// game yields; and the fixture of a table's rules with checks of several
// sounds at once, of how long a timed feature lasts and of a game's end.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <map>
#include <sstream>
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

// Several values at once, as one list to compare: a rule's outcome across
// the game's state in a single check. A braced Seq{...} of values keeps
// the order they are worked out in, for acts whose order matters.
template <class... T>
std::vector<double> Values(T... values) {
    return {double(values)...};
}
using Seq = std::vector<double>;

// Whether `value` lies anywhere from `lowest` to `highest`.
inline ::testing::AssertionResult Between(double value, double lowest, double highest) {
    if (value >= lowest && value <= highest) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << value << " is not in " << lowest << ".." << highest;
}

// The fixture of a table's rules, with checks of what was heard.
template <const TableCase& C, int PlayMode = -1>
class RulesOf : public TableTestOf<C, PlayMode> {
protected:
    // Whether each label was started that many times (from log entry `from` on).
    ::testing::AssertionResult Started(std::initializer_list<std::pair<std::string, int>> expected,
                                       size_t from = 0) const {
        std::ostringstream wrong;
        for (const auto& [label, times] : expected) {
            const int n = this->CountSince(from, label);
            if (n != times) wrong << label << " started " << n << " times, not " << times << "; ";
        }
        return Unless(wrong);
    }
    // Whether each of `on` plays and none of `off` does.
    ::testing::AssertionResult Playing(std::initializer_list<const char*> on,
                                       std::initializer_list<const char*> off = {}) {
        std::ostringstream wrong;
        for (const char* label : on)
            if (!this->platform.IsLabelPlaying(label)) wrong << label << " is silent; ";
        for (const char* label : off)
            if (this->platform.IsLabelPlaying(label)) wrong << label << " plays; ";
        return Unless(wrong);
    }
    // Whether `running` holds with the timers run 100 ms before `ms` are up,
    // and no longer 100 ms after; `timers` runs what times the feature.
    ::testing::AssertionResult Lasts(uint32_t ms, const std::function<bool()>& running,
                                     const std::function<void()>& timers = nullptr) {
        auto after = [&](uint32_t wait) {
            this->Wait(wait);
            timers ? timers() : this->Table().timers();
            return running();
        };
        if (!after(ms - 100)) return ::testing::AssertionFailure() << "over before " << ms - 100 << " ms";
        if (after(200)) return ::testing::AssertionFailure() << "still on after " << ms + 100 << " ms";
        return ::testing::AssertionSuccess();
    }
    // Whether `body`, with the end-of-game prompt answered, left for the
    // main menu; gives what was heard meanwhile.
    ::testing::AssertionResult EndsTheGame(const std::function<void()>& body,
                                           std::vector<std::string>* heard = nullptr) {
        const size_t from = this->Mark();
        this->AnswerTheLastPrompt();
        const bool ended = this->RunUntilMainMenu(body);
        if (heard) *heard = this->StartedSince(from);
        if (ended) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "the game went on; heard " << this->PlayedList();
    }

private:
    // A success, unless something was found wrong.
    static ::testing::AssertionResult Unless(const std::ostringstream& wrong) {
        if (wrong.str().empty()) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << wrong.str();
    }
};

}  // namespace tamblor::test
