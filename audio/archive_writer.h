// Building archives in the layout the game reads: used by the game-data
// build, the archive tool and the tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tamblor {

struct ArchiveMember {
    std::string name;  // "/"-separated path, at most 55 characters
    std::vector<uint8_t> bytes;
};

// Header, members in the given order, then the directory. Throws
// std::invalid_argument for a name that does not fit its field, a name with
// a zero byte, or more members than the reader can hold.
std::vector<uint8_t> BuildArchive(const std::vector<ArchiveMember>& members);

// Writes through a temporary file renamed over `path`. Throws
// std::runtime_error when the file cannot be written.
void WriteArchiveFile(const std::string& path, const std::vector<ArchiveMember>& members);

// A strict reader for tools: throws std::runtime_error for anything that is
// not a well-formed archive.
std::vector<ArchiveMember> ReadArchiveFile(const std::string& path);

}  // namespace tamblor
