// The sound archive: opened once at start-up and kept open; members are
// looked up by name without regard to case and read on demand.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tamblor {

struct ArchiveEntry {
    std::string name;  // as stored, up to its terminator, trimmed of spaces
    std::string key;   // upper-cased name, what lookups compare against
    int32_t offset = 0;
    int32_t size = 0;
    bool usable = false;  // false for entries that cannot describe a member
};

constexpr int kMemberNotFound = -1;

// Opens fileName, taken from ProgramFolder() unless it is an absolute path
// (closing any archive already open), and reads its directory. Returns the entry count the header gives (0 when the file
// cannot be opened). A malformed archive never crashes: entries with a
// missing terminator, negative fields or a size larger than the whole file
// are left unusable, and bytes beyond the end of the file read as zeros.
int OpenArchive(const std::string& fileName);
void CloseArchive();

// What is wrong with the open archive, in words: "" when its header and
// whole directory are in the file and every entry describes a member that
// lies inside it. (Reading stays lenient; this is for the start-up check.)
std::string ArchiveDamage();

int ArchiveEntryCount();
const std::vector<ArchiveEntry>& ArchiveDirectory();

// Index of the first entry whose name equals `name` apart from case, or
// kMemberNotFound. The request is not trimmed.
int FindMember(const std::string& name);

// The member's Size bytes (zeros for any part beyond the end of the file).
std::vector<uint8_t> ReadMember(int index);

// Copies the member to DataFolder under the last component of its name in
// upper case. Nothing happens for an unknown member; a name that would leave
// DataFolder is refused with the standard error report.
void ExtractMember(const std::string& name);

// DataFolder/fileName, matching an existing file whose name differs only in
// case, so "pacman.map" finds the extracted "PACMAN.MAP".
std::string ExtractedPath(const std::string& fileName);

// The last path component of a member name, upper-cased ("sounds/ball.wav"
// gives "BALL.WAV"), as the extractor and the sound error path name it.
std::string MemberFileName(const std::string& memberName);

std::string UpperCase(std::string text);
std::string TrimSpaces(const std::string& text);

}  // namespace tamblor
