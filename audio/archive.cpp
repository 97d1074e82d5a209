#include "audio/archive.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>

#include "audio/archive_format.h"
#include "core/errors.h"
#include "core/app.h"
#include "platform/platform.h"
#include "platform/safe_files.h"

namespace tamblor {

namespace {
std::FILE* g_file = nullptr;
int64_t g_fileSize = 0;
int g_entryCount = 0;
int32_t g_directoryOffset = 0;
int32_t g_directoryLength = 0;
std::vector<ArchiveEntry> g_entries;

// Reads `length` bytes at `offset`; whatever lies beyond the file is zero.
void ReadAt(int64_t offset, uint8_t* out, size_t length) {
    if (length == 0) return;
    std::memset(out, 0, length);
    if (g_file == nullptr || offset < 0 || offset >= g_fileSize) return;
    size_t available = static_cast<size_t>(std::min<int64_t>(g_fileSize - offset, int64_t(length)));
    if (std::fseek(g_file, static_cast<long>(offset), SEEK_SET) != 0) return;
    size_t got = std::fread(out, 1, available, g_file);
    (void)got;  // a short read leaves zeros, as for bytes beyond the end
}

ArchiveEntry ParseEntry(const uint8_t* raw) {
    ArchiveEntry e;
    const void* terminator = std::memchr(raw, 0, kArchiveNameField);
    e.offset = ReadLe32(raw + kArchiveNameField);
    e.size = ReadLe32(raw + kArchiveNameField + 4);
    if (terminator == nullptr) return e;  // unterminated name: unusable
    size_t length = static_cast<const uint8_t*>(terminator) - raw;
    e.name = TrimSpaces(std::string(reinterpret_cast<const char*>(raw), length));
    e.key = UpperCase(e.name);
    e.usable = e.offset >= 0 && e.size >= 0 && int64_t(e.size) <= g_fileSize &&
               int64_t(e.offset) + e.size <= std::numeric_limits<int32_t>::max();
    return e;
}
}  // namespace

std::string UpperCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string TrimSpaces(const std::string& text) {
    size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

void CloseArchive() {
    if (g_file != nullptr) std::fclose(g_file);
    g_file = nullptr;
    g_fileSize = 0;
    g_entryCount = 0;
    g_directoryOffset = g_directoryLength = 0;
    g_entries.clear();
}

int OpenArchive(const std::string& fileName) {
    CloseArchive();
    // A FIFO or a folder in the archive's place must not hang the start.
    std::string error;
    std::string path = !fileName.empty() && fileName[0] == '/' ? fileName : ProgramFolder() + "/" + fileName;
    int fd = OpenRegularFile(path, error);
    if (fd < 0) return 0;
    g_file = ::fdopen(fd, "rb");
    if (g_file == nullptr) {
        ::close(fd);
        return 0;
    }
    if (std::fseek(g_file, 0, SEEK_END) == 0) g_fileSize = std::ftell(g_file);
    if (g_fileSize < 0) g_fileSize = 0;

    uint8_t header[kArchiveHeaderSize];
    ReadAt(0, header, sizeof header);
    int32_t directoryOffset = g_directoryOffset = ReadLe32(header + 4);
    int32_t directoryLength = g_directoryLength = ReadLe32(header + 8);
    g_entryCount = directoryLength > 0 ? directoryLength / int32_t(kArchiveEntrySize) : 0;
    int toRead = std::min(g_entryCount, kArchiveMaxEntries);
    // Entries beyond the end of the file would be invented, not read.
    int64_t room = directoryOffset < 0 ? 0 : (g_fileSize - directoryOffset) / int64_t(kArchiveEntrySize);
    toRead = static_cast<int>(std::clamp<int64_t>(room, 0, toRead));

    std::vector<uint8_t> directory(size_t(toRead) * kArchiveEntrySize);
    ReadAt(directoryOffset, directory.data(), directory.size());
    g_entries.reserve(toRead);
    for (int i = 0; i < toRead; ++i) g_entries.push_back(ParseEntry(&directory[i * kArchiveEntrySize]));
    return g_entryCount;
}

std::string ArchiveDamage() {
    if (g_file == nullptr) return "the file is missing or cannot be read";
    if (g_fileSize < int64_t(kArchiveHeaderSize)) return "it is too short to hold even its header";
    int64_t end = int64_t(g_directoryOffset) + g_directoryLength;
    if (g_directoryOffset < int32_t(kArchiveHeaderSize) || g_directoryLength <= 0 ||
        g_directoryLength % int32_t(kArchiveEntrySize) != 0)
        return "its header does not describe a directory";
    if (g_entryCount > kArchiveMaxEntries) return "its directory claims more members than an archive can hold";
    if (end > g_fileSize) {
        return "it is cut short: its directory lists " + std::to_string(g_entryCount) + " members, but only " +
               std::to_string(g_entries.size()) + " are in the file";
    }
    for (size_t i = 0; i < g_entries.size(); ++i) {
        const ArchiveEntry& e = g_entries[i];
        if (!e.usable || int64_t(e.offset) + e.size > g_fileSize)
            return "directory entry " + std::to_string(i + 1) + (e.name.empty() ? "" : " (" + e.name + ")") +
                   " is damaged or points past the end of the file";
    }
    return "";
}

int ArchiveEntryCount() { return g_entryCount; }
const std::vector<ArchiveEntry>& ArchiveDirectory() { return g_entries; }

int FindMember(const std::string& name) {
    std::string key = UpperCase(name);
    for (size_t i = 0; i < g_entries.size(); ++i) {
        if (g_entries[i].usable && g_entries[i].key == key) return static_cast<int>(i);
    }
    return kMemberNotFound;
}

std::vector<uint8_t> ReadMember(int index) {
    if (index < 0 || size_t(index) >= g_entries.size() || !g_entries[index].usable) return {};
    const ArchiveEntry& e = g_entries[index];
    std::vector<uint8_t> bytes(size_t(e.size));
    ReadAt(e.offset, bytes.data(), bytes.size());
    return bytes;
}

std::string MemberFileName(const std::string& memberName) {
    std::string name = UpperCase(TrimSpaces(memberName));
    std::replace(name.begin(), name.end(), '/', '\\');
    size_t slash = name.rfind('\\');
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

void ExtractMember(const std::string& name) {
    int index = FindMember(name);
    if (index == kMemberNotFound) return;
    std::string fileName = MemberFileName(g_entries[index].name);
    if (fileName.empty() || fileName == "." || fileName == ".." ||
        fileName.find('/') != std::string::npos) {
        ReportError("ExtractMember", kErrInvalidParam, "Bad file name '" + fileName + "'");
        return;
    }
    std::vector<uint8_t> bytes = ReadMember(index);
    // Every earlier file under this name in any case goes first, and the new
    // one is created afresh: a link planted in the data folder cannot
    // redirect the write, and no stale variant can be read in its place.
    std::string error;
    if (!WriteFreshFile(DataFolder, fileName, bytes.data(), bytes.size(), true, error))
        ReportError("ExtractMember", kErrFileNotFound, "Cannot write " + fileName + ": " + error);
}

std::string ExtractedPath(const std::string& fileName) {
    std::string wanted = UpperCase(fileName);
    std::error_code ec;
    for (const auto& item : std::filesystem::directory_iterator(DataFolder, ec)) {
        if (UpperCase(item.path().filename().string()) == wanted) return item.path().string();
    }
    return DataFolder + "/" + fileName;
}

}  // namespace tamblor
