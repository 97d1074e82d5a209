// Keyboard input, read by polling: the 256-key scan-code state, per-key
// latches that turn a held key into one press, and the shared edge flag
// over the command keys.
#pragma once

#include <cstdint>
#include <initializer_list>

namespace tamblor {

// Scan codes of the keys the game tests.
namespace scan {
constexpr uint8_t Escape = 0x01;
constexpr uint8_t R = 0x13;
constexpr uint8_t T = 0x14;
constexpr uint8_t P = 0x19;
constexpr uint8_t Return = 0x1C;
constexpr uint8_t LeftControl = 0x1D;
constexpr uint8_t S = 0x1F;
constexpr uint8_t LeftShift = 0x2A;
constexpr uint8_t V = 0x2F;
constexpr uint8_t M = 0x32;
constexpr uint8_t RightShift = 0x36;
constexpr uint8_t Space = 0x39;
constexpr uint8_t F1 = 0x3B;
constexpr uint8_t F2 = 0x3C;
constexpr uint8_t F3 = 0x3D;
constexpr uint8_t RightControl = 0x9D;
constexpr uint8_t Up = 0xC8;
constexpr uint8_t PageUp = 0xC9;
constexpr uint8_t Left = 0xCB;
constexpr uint8_t Right = 0xCD;
constexpr uint8_t End = 0xCF;
constexpr uint8_t Down = 0xD0;
constexpr uint8_t PageDown = 0xD1;
constexpr uint8_t Delete = 0xD3;
}  // namespace scan

struct KeyStateData {
    uint8_t Down[256];   // bit 7 set: the key is down
    bool Latched[256];   // set by a consumer that acted on the current press
};

extern KeyStateData KeyState;
extern bool CommandKeysReleased;
// Counts the calls of PollKeyboard: what is said between two polls is one
// message (a report, a number), which the repeat key says again whole.
extern uint32_t KeyboardPolls;

// Reads the keyboard into KeyState.Down and clears the latches of released
// keys. A failed read keeps the previous state (and sets the device up
// again when it was lost).
void PollKeyboard();

// CommandKeysReleased = no command key is down. Called at the end of a pass.
void UpdateCommandKeysReleased();

void AcquireKeyboard();

bool KeyDown(uint8_t scanCode);
bool AnyKeyDown();
bool AnyKeyDown(std::initializer_list<uint8_t> keys);

// The latch rule: true once per press of a key (down and not yet latched),
// latching it.
bool TakeLatchedPress(uint8_t scanCode);

// A command key that acts once per press: it is down and no command key was
// down at the end of the previous pass.
bool CommandPress(uint8_t scanCode);

// Down, and not a press something has already acted on (a key held since
// it ended a prompt or a pause).
bool FreshKeyDown(uint8_t scanCode);

// Every key now down has done its work (it ended a pause or a prompt): it
// acts again only after being released and pressed anew.
void SwallowHeldKeys();

// Forgets every key and latch (a fresh start, for tests).
void ResetKeyboard();

}  // namespace tamblor
