// The layout of "tamblor.tmb": a 12-byte header (reserved, directory offset,
// directory length), the members' bytes, and a directory of 64-byte entries
// (56-byte zero-terminated name, offset, size). Integers are 32-bit signed
// little-endian.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tamblor {

constexpr size_t kArchiveHeaderSize = 12;
constexpr size_t kArchiveEntrySize = 64;
constexpr size_t kArchiveNameField = 56;
constexpr int kArchiveMaxEntries = 4097;

inline int32_t ReadLe32(const uint8_t* p) {
    return static_cast<int32_t>(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 |
                                uint32_t(p[3]) << 24);
}

inline void WriteLe32(uint8_t* p, int32_t value) {
    uint32_t v = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

}  // namespace tamblor
