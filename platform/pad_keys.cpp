#include "platform/pad_keys.h"

namespace tamblor {

namespace {
constexpr uint8_t kNone = 0;
constexpr uint8_t kReturn = 0x1C;
// The key of each button; A's is the confirm key of the moment.
constexpr uint8_t kKeyOf[int(PadButton::Count)] = {
    kNone, 0x01 /* B: Escape */, 0x13 /* X: R */, 0x1F /* Y: S */, 0x1D /* Back: Control */,
    kNone, 0x19 /* Start: P */, kNone, kNone, 0x2A /* Left Shift */, 0x36 /* Right Shift */,
    0xC8, 0xD0, 0xCB, 0xCD,  // the D-pad: arrows
    0x2A, 0x36,              // the triggers: the shoulders' keys
    0xC8, 0xD0, 0xCB, 0xCD,  // the left stick: arrows
};
// An analogue input presses past half way and lets go below a quarter, so
// a stick resting near its edge does not chatter.
constexpr int kPressAt = 16384;
constexpr int kReleaseBelow = 8192;

bool Past(bool down, int value) { return down ? value >= kReleaseBelow : value >= kPressAt; }

constexpr uint32_t Bit(PadButton b) { return 1u << int(b); }
constexpr uint32_t kLeftSide = Bit(PadButton::LeftShoulder) | Bit(PadButton::LeftTrigger);
constexpr uint32_t kRightSide = Bit(PadButton::RightShoulder) | Bit(PadButton::RightTrigger);
constexpr uint32_t kChordButtons = kLeftSide | kRightSide | Bit(PadButton::Back);
}  // namespace

bool PadKeys::Hold(int pad, int source, uint8_t scanCode) {
    uint8_t& held = holding_[pad][source];
    if (held == scanCode) return false;
    bool changed = false;
    if (held != kNone) {
        changed |= --count_[held] == 0;
        --heldKeys_;
    }
    if (scanCode != kNone) {
        changed |= count_[scanCode]++ == 0;
        ++heldKeys_;
    }
    held = scanCode;
    return changed;
}

bool PadKeys::Set(int pad, PadButton button, bool down) {
    if (pad < 0 || pad >= kMostPads || button >= PadButton::Count) return false;
    const uint32_t bit = Bit(button);
    if (((pressed_[pad] & bit) != 0) == down) return false;
    pressed_[pad] ^= bit;
    if (!down) silenced_[pad] &= ~bit;
    if (down && chord_[pad] != Chord::Off && (bit & kChordButtons) != 0) silenced_[pad] |= bit;
    const uint8_t key = button == PadButton::A ? confirmKey_ : kKeyOf[int(button)];
    bool changed = Hold(pad, int(button), down && (silenced_[pad] & bit) == 0 ? key : kNone);
    // Tilt wants both shoulders and Back at once: no one button a player
    // rests on can cost the ball. The chord's buttons stop being their own
    // keys while it lasts (and until each is let go).
    const uint32_t p = pressed_[pad];
    const bool chord = (p & kLeftSide) != 0 && (p & kRightSide) != 0 && (p & Bit(PadButton::Back)) != 0;
    if (chord && chord_[pad] == Chord::Off) {
        chord_[pad] = Chord::Releasing;
        silenced_[pad] |= p & kChordButtons;
        for (int b = 0; b < int(PadButton::Count); ++b)
            if ((kChordButtons & (1u << b)) != 0) changed |= Hold(pad, b, kNone);
    } else if (!chord && chord_[pad] != Chord::Off) {
        chord_[pad] = Chord::Off;
        changed |= Hold(pad, kChord, kNone);
    }
    return changed;
}

bool PadKeys::Axis(int pad, PadAxis axis, int16_t value) {
    if (pad < 0 || pad >= kMostPads) return false;
    auto on = [&](PadButton b) { return (pressed_[pad] & Bit(b)) != 0; };
    const int v = value;
    switch (axis) {
    // Both directions of a stick are set: one can let go as the other comes on.
    case PadAxis::LeftX: {
        const bool left = Set(pad, PadButton::StickLeft, Past(on(PadButton::StickLeft), -v));
        const bool right = Set(pad, PadButton::StickRight, Past(on(PadButton::StickRight), v));
        return left || right;
    }
    case PadAxis::LeftY: {
        const bool up = Set(pad, PadButton::StickUp, Past(on(PadButton::StickUp), -v));
        const bool down = Set(pad, PadButton::StickDown, Past(on(PadButton::StickDown), v));
        return up || down;
    }
    case PadAxis::LeftTrigger:
        return Set(pad, PadButton::LeftTrigger, Past(on(PadButton::LeftTrigger), v));
    case PadAxis::RightTrigger:
        return Set(pad, PadButton::RightTrigger, Past(on(PadButton::RightTrigger), v));
    }
    return false;
}

bool PadKeys::ReleasePad(int pad) {
    if (pad < 0 || pad >= kMostPads) return false;
    bool changed = false;
    for (int source = 0; source < kSources; ++source) changed |= Hold(pad, source, kNone);
    pressed_[pad] = silenced_[pad] = 0;
    chord_[pad] = Chord::Off;
    return changed;
}

bool PadKeys::ReleaseAll() {
    bool changed = false;
    for (int pad = 0; pad < kMostPads; ++pad) changed |= ReleasePad(pad);
    return changed;
}

void PadKeys::MergeInto(uint8_t state[256]) {
    // Read at every pass; with no button down there is nothing to add.
    if (heldKeys_ != 0)
        for (int k = 0; k < 256; ++k)
            if (count_[k] != 0) state[k] |= 0x80;
    for (int pad = 0; pad < kMostPads; ++pad) {
        if (chord_[pad] != Chord::Releasing) continue;
        chord_[pad] = Chord::Holding;
        Hold(pad, kChord, kReturn);
    }
}

}  // namespace tamblor
