// Polling, latches, the command-key edge rule and a lost keyboard.
#include <gtest/gtest.h>

#include "core/keyboard.h"
#include "support/game_fixture.h"

namespace tamblor::test {
namespace {

using KeyboardTest = GameTest;

// One pass of a consumer loop: poll, then act, then update the edge flag.
void Pass() {
    YieldToSystem();
    PollKeyboard();
}

TEST_F(KeyboardTest, AHeldKeyIsDownEveryPassButItsLatchActsOnce) {
    platform.SetKeyDown(scan::Return, true);
    int actions = 0;
    for (int i = 0; i < 5; ++i) {
        Pass();
        EXPECT_TRUE(KeyDown(scan::Return));
        if (TakeLatchedPress(scan::Return)) ++actions;
    }
    EXPECT_EQ(actions, 1);
    platform.SetKeyDown(scan::Return, false);
    Pass();
    EXPECT_FALSE(KeyState.Latched[scan::Return]);
    platform.SetKeyDown(scan::Return, true);
    Pass();
    EXPECT_TRUE(TakeLatchedPress(scan::Return));
}

TEST_F(KeyboardTest, AHeldCommandKeyBlocksEveryOtherUntilAPassWithNone) {
    auto pressesOfP = [&](int passes) {
        int acted = 0;
        for (int i = 0; i < passes; ++i) {
            Pass();
            if (KeyDown(scan::P) && CommandKeysReleased) ++acted;
            UpdateCommandKeysReleased();
        }
        return acted;
    };
    platform.SetKeyDown(scan::LeftShift, true);
    EXPECT_EQ(pressesOfP(2), 0);
    platform.SetKeyDown(scan::P, true);
    EXPECT_EQ(pressesOfP(3), 0);  // Shift still held
    platform.SetKeyDown(scan::LeftShift, false);
    EXPECT_EQ(pressesOfP(3), 0);  // P itself is a command key: never a clear pass
    platform.SetKeyDown(scan::P, false);
    EXPECT_EQ(pressesOfP(1), 0);
    platform.SetKeyDown(scan::P, true);
    EXPECT_EQ(pressesOfP(4), 1);  // acts once however long it is held
    // Keys outside the set do not block.
    platform.SetKeyDown(scan::P, false);
    platform.SetKeyDown(scan::Space, true);
    pressesOfP(1);
    EXPECT_TRUE(CommandKeysReleased);
}

TEST_F(KeyboardTest, ALostKeyboardIsSetUpAgainAndKeepsTheLastGoodState) {
    platform.SetKeyDown(scan::Up, true);
    Pass();
    TakeLatchedPress(scan::Up);
    platform.SetKeyDown(scan::Up, false);
    platform.FailReads(2, kErrInputLost);
    Pass();
    EXPECT_EQ(platform.AcquireCount(), 1);
    EXPECT_TRUE(KeyDown(scan::Up));              // stale, not cleared
    EXPECT_TRUE(KeyState.Latched[scan::Up]);     // latches untouched too
    platform.FailReads(1, kErrInvalidParam);     // other failures: ignored
    Pass();
    EXPECT_EQ(platform.AcquireCount(), 1);
    Pass();
    EXPECT_FALSE(KeyDown(scan::Up));
    EXPECT_FALSE(KeyState.Latched[scan::Up]);
}

}  // namespace
}  // namespace tamblor::test
