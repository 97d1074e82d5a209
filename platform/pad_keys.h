// A game controller's buttons turned into the scan-code key states the
// keyboard produces, so every reader of the keys hears a button as its key.
// A key stays down while anything holds it: the keyboard, or any button of
// any pad mapped to it.
#pragma once

#include <cstdint>

namespace tamblor {

// The buttons SDL's game-controller layer names, in its own order, then the
// analogue inputs as the buttons they act as.
enum class PadButton : uint8_t {
    A, B, X, Y, Back, Guide, Start, LeftStick, RightStick, LeftShoulder, RightShoulder,
    DpadUp, DpadDown, DpadLeft, DpadRight,
    LeftTrigger, RightTrigger, StickUp, StickDown, StickLeft, StickRight,
    Count
};

enum class PadAxis : uint8_t { LeftX, LeftY, LeftTrigger, RightTrigger };

constexpr int kMostPads = 4;

class PadKeys {
public:
    // What A presses from its next press on: Return in the menus, Space at
    // a table (where Return tilts). A press keeps the key it started with.
    void SetConfirmKey(uint8_t scanCode) { confirmKey_ = scanCode; }
    // Each returns true when the merged key state changed.
    bool Set(int pad, PadButton button, bool down);
    bool Axis(int pad, PadAxis axis, int16_t value);
    bool ReleasePad(int pad);  // unplugged: every key it held goes up
    bool ReleaseAll();
    // Adds the keys the pads hold to a keyboard state read by the game.
    // The tilt chord's Return comes one read after the chord's own buttons
    // let go of their keys: tilt, like any command key, acts on a press
    // that follows a pass with no command key down.
    void MergeInto(uint8_t state[256]);
    bool Holds(uint8_t scanCode) const { return count_[scanCode] != 0; }

private:
    static constexpr int kChord = int(PadButton::Count);  // the tilt chord holds a key of its own
    static constexpr int kSources = kChord + 1;
    bool Hold(int pad, int source, uint8_t scanCode);

    uint8_t confirmKey_ = 0x1C;
    uint32_t pressed_[kMostPads] = {};   // one bit per PadButton
    uint32_t silenced_[kMostPads] = {};  // pressed, but keyless until let go (they made the chord)
    enum class Chord : uint8_t { Off, Releasing, Holding };
    Chord chord_[kMostPads] = {};
    uint8_t holding_[kMostPads][kSources] = {};  // the key each source holds, 0 for none
    uint8_t count_[256] = {};                    // how many sources hold each key
    int heldKeys_ = 0;                           // the sum of count_
};

}  // namespace tamblor
