#include "core/keyboard.h"

#include <cstring>

#include "platform/platform.h"

namespace tamblor {

KeyStateData KeyState = {};
bool CommandKeysReleased = false;
uint32_t KeyboardPolls = 0;

namespace {
constexpr uint8_t kCommandKeys[] = {scan::LeftShift, scan::RightShift, scan::PageUp, scan::PageDown,
                                    scan::Delete,    scan::Return,     scan::P,      scan::F1,
                                    scan::V,         scan::F2,         scan::F3,     scan::M};
}

void PollKeyboard() {
    ++KeyboardPolls;
    uint8_t fresh[256];
    int32_t result = KeyboardDevice().ReadState(fresh);
    if (result != 0) {
        if (result == kErrNotAcquired || result == kErrInputLost) AcquireKeyboard();
        return;
    }
    std::memcpy(KeyState.Down, fresh, sizeof fresh);
    // A latch lasts while its key is down. This runs at every pass, so
    // eight keys at a time: each latch byte (0 or 1) keeps its key's bit 7.
    for (int k = 0; k < 256; k += 8) {
        uint64_t latched, down;
        std::memcpy(&latched, KeyState.Latched + k, 8);
        std::memcpy(&down, fresh + k, 8);
        latched &= (down >> 7) & 0x0101010101010101u;
        std::memcpy(KeyState.Latched + k, &latched, 8);
    }
}

void UpdateCommandKeysReleased() {
    for (uint8_t k : kCommandKeys) {
        if (KeyState.Down[k] & 0x80) {
            CommandKeysReleased = false;
            return;
        }
    }
    CommandKeysReleased = true;
}

void AcquireKeyboard() {
    // A failure is silent: the next poll tries again.
    KeyboardDevice().Acquire();
}

bool KeyDown(uint8_t scanCode) { return (KeyState.Down[scanCode] & 0x80) != 0; }

bool AnyKeyDown() {
    for (uint8_t value : KeyState.Down) {
        if (value & 0x80) return true;
    }
    return false;
}

bool AnyKeyDown(std::initializer_list<uint8_t> keys) {
    for (uint8_t k : keys) {
        if (KeyDown(k)) return true;
    }
    return false;
}

bool TakeLatchedPress(uint8_t scanCode) {
    if (!KeyDown(scanCode) || KeyState.Latched[scanCode]) return false;
    KeyState.Latched[scanCode] = true;
    return true;
}

bool CommandPress(uint8_t scanCode) { return KeyDown(scanCode) && CommandKeysReleased; }

bool FreshKeyDown(uint8_t scanCode) { return KeyDown(scanCode) && !KeyState.Latched[scanCode]; }

void SwallowHeldKeys() {
    for (int k = 0; k < 256; ++k)
        if (KeyState.Down[k] & 0x80) KeyState.Latched[k] = true;
    UpdateCommandKeysReleased();
}

void ResetKeyboard() {
    KeyState = {};
    CommandKeysReleased = false;
}

}  // namespace tamblor
