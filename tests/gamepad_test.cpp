// Game controllers: every button heard as its key in a menu and at a table,
// a button and its key held together, the tilt chord, an unplug mid-ball,
// and the rumble's pulses on the engine's hits.
#include <gtest/gtest.h>

#include "audio/sound.h"
#include "core/app.h"
#include "core/gamepad.h"
#include "core/keyboard.h"
#include "core/settings.h"
#include "support/table_fixture.h"
#include "table/play.h"
#include "table/services.h"
#include "table/table.h"

namespace tamblor::test {
namespace {

using B = PadButton;

class PadTest : public TableTestOf<kPacManCase, 1> {
protected:
    // The keys down after a poll, as scan codes.
    std::vector<int> KeysDown() {
        PollKeyboard();
        std::vector<int> down;
        for (int k = 0; k < 256; ++k)
            if (KeyDown(uint8_t(k))) down.push_back(k);
        return down;
    }
};

TEST_F(PadTest, EveryButtonIsItsKeyInAMenuAndAtATable) {
    const struct {
        B button;
        int menuKey, tableKey;  // 0: no key
    } cases[] = {
        {B::A, scan::Return, scan::Space}, {B::B, scan::Escape, scan::Escape}, {B::X, scan::R, scan::R},
        {B::Y, scan::S, scan::S},          {B::Back, scan::LeftControl, scan::LeftControl},
        {B::Start, scan::P, scan::P},      {B::LeftShoulder, scan::LeftShift, scan::LeftShift},
        {B::RightShoulder, scan::RightShift, scan::RightShift},
        {B::DpadUp, scan::Up, scan::Up},   {B::DpadDown, scan::Down, scan::Down},
        {B::DpadLeft, scan::Left, scan::Left}, {B::DpadRight, scan::Right, scan::Right},
        {B::Guide, 0, 0},                  {B::LeftStick, 0, 0},
    };
    for (bool atTable : {true, false}) {
        if (!atTable) UnloadTable(Table());  // back in the menus
        for (const auto& c : cases) {
            const int key = atTable ? c.tableKey : c.menuKey;
            platform.SetPadButton(c.button, true);
            EXPECT_EQ(KeysDown(), key ? std::vector<int>{key} : std::vector<int>{})
                << "button " << int(c.button) << (atTable ? " at the table" : " in a menu");
            platform.SetPadButton(c.button, false);
            EXPECT_TRUE(KeysDown().empty());
        }
    }
}

TEST_F(PadTest, TheStickAndTriggersPressPastHalfWayAndLetGoBelowAQuarter) {
    const struct {
        PadAxis axis;
        int16_t value;
        std::vector<int> down;
    } cases[] = {
        {PadAxis::LeftX, -20000, {scan::Left}},      {PadAxis::LeftX, -10000, {scan::Left}},  // still held
        {PadAxis::LeftX, -5000, {}},                 {PadAxis::LeftX, 10000, {}},             // not yet
        {PadAxis::LeftX, 17000, {scan::Right}},      {PadAxis::LeftX, 0, {}},
        {PadAxis::LeftY, -17000, {scan::Up}},        {PadAxis::LeftY, 32767, {scan::Down}},
        {PadAxis::LeftY, 0, {}},                     {PadAxis::LeftTrigger, 30000, {scan::LeftShift}},
        {PadAxis::RightTrigger, 30000, {scan::LeftShift, scan::RightShift}},
    };
    for (const auto& c : cases) {
        platform.SetPadAxis(c.axis, c.value);
        EXPECT_EQ(KeysDown(), c.down) << "axis " << int(c.axis) << " at " << c.value;
    }
}

TEST_F(PadTest, AKeyHeldTwiceIsDownUntilTheLastHolderLetsGoAndAKeepsTheKeyItPressed) {
    platform.SetKeyDown(scan::LeftShift, true);
    platform.SetPadButton(B::LeftShoulder, true);
    platform.SetPadAxis(PadAxis::LeftTrigger, 32767);
    platform.SetPadButton(B::LeftShoulder, false);
    EXPECT_EQ(KeysDown(), std::vector<int>{scan::LeftShift});
    platform.SetKeyDown(scan::LeftShift, false);
    EXPECT_EQ(KeysDown(), std::vector<int>{scan::LeftShift});  // the trigger still holds it
    platform.SetPadAxis(PadAxis::LeftTrigger, 0);
    EXPECT_TRUE(KeysDown().empty());

    // A held from the menu into the table stays Return: it cannot also launch.
    UnloadTable(Table());
    platform.SetPadButton(B::A, true);
    LoadTable();
    EXPECT_EQ(KeysDown(), std::vector<int>{scan::Return});
    platform.SetPadButton(B::A, false);
    platform.SetPadButton(B::A, true);
    EXPECT_EQ(KeysDown(), std::vector<int>{scan::Space});
}

TEST_F(PadTest, OnlyBothShouldersWithBackTogetherTilt) {
    const std::vector<std::vector<B>> resting = {
        {B::LeftShoulder}, {B::RightShoulder}, {B::Back}, {B::LeftShoulder, B::RightShoulder},
        {B::LeftShoulder, B::Back}, {B::RightShoulder, B::Back}, {B::A, B::B, B::Start}};
    // Pressed one by one, a pass apart, held for a few passes, let go.
    auto passesWith = [&](const std::vector<B>& held) {
        bool restarted = false;
        auto pass = [&] {
            PollKeyboard();
            restarted |= Restarts(InPlayKeys);
            YieldToSystem();
        };
        for (B b : held) {
            platform.SetPadButton(b, true);
            pass();
        }
        for (int n = 0; n < 3; ++n) pass();
        for (B b : held) platform.SetPadButton(b, false);
        pass();
        return restarted;
    };
    platform.TapWhenSoundStarts("sounds/PausedLp.wav", scan::Space, 100);  // Start pauses
    for (const std::vector<B>& held : resting) EXPECT_FALSE(passesWith(held)) << held.size() << " buttons";
    EXPECT_FALSE(Game.Tilted);
    platform.SetKeyDown(scan::Space, true);  // the next ball's prompt
    EXPECT_TRUE(passesWith({B::LeftShoulder, B::Back, B::RightTrigger}));
    EXPECT_TRUE(Game.Tilted);
}

TEST_F(PadTest, UnpluggingMidBallSaysSoLetsGoOfTheFlipperAndPausesAsPDoes) {
    platform.PlugPad();
    platform.SetPadButton(B::RightShoulder, true);
    PollKeyboard();
    EXPECT_FALSE(Restarts(InPlayKeys));  // says "connected" and plays on
    EXPECT_TRUE(KeyDown(scan::RightShift));
    sndBall.Play(true);
    const size_t from = Mark();
    platform.UnplugPad();
    platform.TapWhenSoundStarts("sounds/PausedLp.wav", scan::Space, 300);
    PollKeyboard();
    EXPECT_FALSE(KeyDown(scan::RightShift));
    EXPECT_FALSE(Restarts(InPlayKeys));
    EXPECT_TRUE(HeardInARow({"sounds/PadOff.wav", "sounds/Paused.wav", "sounds/PausedLp.wav", "sounds/Resumed.wav",
                             "sounds/ball.wav"},
                            from));
    EXPECT_EQ(CountSince(from, "sounds/Flipper.wav"), 0);
}

TEST_F(PadTest, RumbleFollowsTheHitsAtTheYieldStrongerCutsWeakerAndOffOrMotorlessIsStill) {
    platform.PlugPad(true);
    PlayAtBall(sndBumper1);
    PlayAtBall(sndBumper2);  // the same tap still running: dropped
    EXPECT_TRUE(platform.Rumbles().empty()) << "only asked for: it starts at the yield";
    YieldToSystem();
    Game.FlipperUp = true;
    EXPECT_TRUE(FlipperCatchesBall());  // a knock cuts the tap
    YieldToSystem();
    PlayAtBall(sndWallHit);             // no bumper: nothing
    Wait(130);
    PlayAtBall(sndBumper1);             // the knock is over
    YieldToSystem();
    platform.SetKeyDown(scan::Space, true);
    Restarts(LoseBall);  // the long one, then the launch's knock once it is over
    std::vector<uint32_t> lengths;
    for (const RumbleEvent& r : platform.Rumbles()) lengths.push_back(r.length);
    EXPECT_EQ(lengths, (std::vector<uint32_t>{60, 120, 60, 700, 120}));
    EXPECT_EQ(platform.Rumbles()[0].ms, platform.Rumbles()[1].ms - 1) << "one per yield";

    for (bool motors : {true, false}) {
        RumbleOn = motors ? 0 : 1;
        platform.PlugPad(motors);
        Wait(800);
        const size_t before = platform.Rumbles().size();
        Feel(Buzz::LostBall);
        YieldToSystem();
        EXPECT_EQ(platform.Rumbles().size(), before) << (motors ? "option off" : "no motors");
    }
}

}  // namespace
}  // namespace tamblor::test
