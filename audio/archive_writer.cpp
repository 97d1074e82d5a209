#include "audio/archive_writer.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <stdexcept>

#include "audio/archive_format.h"

namespace tamblor {

std::vector<uint8_t> BuildArchive(const std::vector<ArchiveMember>& members) {
    if (members.size() > size_t(kArchiveMaxEntries))
        throw std::invalid_argument("an archive holds at most 4097 members");
    size_t total = kArchiveHeaderSize + members.size() * kArchiveEntrySize;
    for (const ArchiveMember& m : members) {
        if (m.name.size() >= kArchiveNameField)
            throw std::invalid_argument("member name longer than 55 characters: " + m.name);
        if (m.name.find('\0') != std::string::npos)
            throw std::invalid_argument("member name with a zero byte");
        total += m.bytes.size();
    }
    if (total > size_t(std::numeric_limits<int32_t>::max()))
        throw std::invalid_argument("archive larger than 2 GiB");

    std::vector<uint8_t> out(kArchiveHeaderSize, 0);
    out.reserve(total);
    std::vector<int32_t> offsets;
    for (const ArchiveMember& m : members) {
        offsets.push_back(int32_t(out.size()));
        out.insert(out.end(), m.bytes.begin(), m.bytes.end());
    }
    int32_t directoryOffset = int32_t(out.size());
    for (size_t i = 0; i < members.size(); ++i) {
        uint8_t entry[kArchiveEntrySize] = {};
        std::memcpy(entry, members[i].name.data(), members[i].name.size());
        WriteLe32(entry + kArchiveNameField, offsets[i]);
        WriteLe32(entry + kArchiveNameField + 4, int32_t(members[i].bytes.size()));
        out.insert(out.end(), entry, entry + kArchiveEntrySize);
    }
    WriteLe32(&out[4], directoryOffset);
    WriteLe32(&out[8], int32_t(members.size() * kArchiveEntrySize));
    return out;
}

void WriteArchiveFile(const std::string& path, const std::vector<ArchiveMember>& members) {
    std::vector<uint8_t> bytes = BuildArchive(members);
    std::string temporary = path + ".part";
    std::FILE* f = std::fopen(temporary.c_str(), "wb");
    if (f == nullptr) throw std::runtime_error("cannot write " + temporary);
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = (std::fclose(f) == 0) && ok;
    if (!ok || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        throw std::runtime_error("cannot write " + path);
    }
}

std::vector<ArchiveMember> ReadArchiveFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() < kArchiveHeaderSize) throw std::runtime_error("archive header cut short");
    int64_t dirOffset = ReadLe32(&bytes[4]);
    int64_t dirLength = ReadLe32(&bytes[8]);
    if (dirOffset < int64_t(kArchiveHeaderSize) || dirLength < 0 ||
        dirOffset + dirLength > int64_t(bytes.size()) || dirLength % kArchiveEntrySize != 0)
        throw std::runtime_error("directory outside the archive");
    std::vector<ArchiveMember> members;
    for (int64_t pos = dirOffset; pos < dirOffset + dirLength; pos += kArchiveEntrySize) {
        const uint8_t* entry = &bytes[size_t(pos)];
        const void* end = std::memchr(entry, 0, kArchiveNameField);
        if (end == nullptr) throw std::runtime_error("member name without terminator");
        int64_t offset = ReadLe32(entry + kArchiveNameField);
        int64_t size = ReadLe32(entry + kArchiveNameField + 4);
        if (offset < 0 || size < 0 || offset + size > int64_t(bytes.size()))
            throw std::runtime_error("member outside the archive");
        ArchiveMember m;
        m.name.assign(reinterpret_cast<const char*>(entry), static_cast<const uint8_t*>(end) - entry);
        m.bytes.assign(bytes.begin() + offset, bytes.begin() + offset + size);
        members.push_back(std::move(m));
    }
    return members;
}

}  // namespace tamblor
