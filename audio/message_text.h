// A message made up of voice texts, joined with spaces into one fixed
// buffer: system speech sends such a message whole, and the caption shows
// it. Fixed, because a message is made up inside the ball loop too.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace tamblor {

struct MessageText {
    char chars[2048];
    size_t length = 0;
    uint32_t poll = 0;  // KeyboardPolls when the message began
    void Clear() { chars[length = 0] = 0; }
    void Add(const char* piece) {
        if (length > 0 && length + 1 < sizeof chars) chars[length++] = ' ';
        const size_t n = std::min(std::strlen(piece), sizeof chars - 1 - length);
        std::memcpy(chars + length, piece, n);
        chars[length += n] = 0;
    }
    // A message is what is said between two polls of the keyboard, as the
    // repeat key has it: a piece from a later poll starts a new one.
    void AddTo(uint32_t messagePoll, const char* piece) {
        if (poll != messagePoll) Clear();
        poll = messagePoll;
        Add(piece);
    }
};

}  // namespace tamblor
