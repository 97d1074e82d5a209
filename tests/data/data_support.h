// Shared by the game-data tests: the manifest, raw file bytes and the
// string literals of the game's sources, all read without the game's own
// archive code or the data generator, so a fault in either is not hidden.
#pragma once

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "support/files.h"
#include "table/tour_data.h"

namespace datatest {

inline const std::string kBuild = TAMBLOR_BUILD_DIR;
inline const std::string kSource = TAMBLOR_SOURCE_DIR;

struct ManifestEntry {
    std::string name, channels, kind, content;
    bool Loose() const { return name.rfind("system/", 0) == 0; }
    int Channels() const { return channels == "stereo" ? 2 : channels == "mono" ? 1 : 0; }
};

inline std::string Upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::toupper(c)); });
    return s;
}

using tamblor::test::ReadFile;
using tamblor::test::TestFolder;

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
    const std::string bytes = ReadFile(path);
    return {bytes.begin(), bytes.end()};
}

inline std::vector<ManifestEntry> LoadManifest() {
    std::vector<ManifestEntry> out;
    std::istringstream in(ReadFile(kSource + "/assets/manifest.tsv"));
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> f;  // runs of tabs part the fields as one
        std::istringstream fields(line);
        for (std::string field; std::getline(fields, field, '\t');)
            if (!field.empty()) f.push_back(field);
        if (f.size() >= 4) out.push_back({f[0], f[1], f[2], f[3]});
    }
    return out;
}

inline int32_t Le32(const std::vector<uint8_t>& b, size_t at) {
    return int32_t(uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24);
}

inline int Le16(const std::vector<uint8_t>& b, size_t at) { return int(b[at]) | int(b[at + 1]) << 8; }

// The directory of an archive file as the layout defines it; an empty list
// (and a reason) when the layout itself is broken.
struct ArchiveEntry {
    std::string name;
    int32_t offset, size;
};

inline std::vector<ArchiveEntry> ReadDirectory(const std::vector<uint8_t>& file, std::string& problem) {
    std::vector<ArchiveEntry> out;
    if (file.size() < 12) {
        problem = "shorter than the header";
        return out;
    }
    int32_t dir = Le32(file, 4), len = Le32(file, 8);
    if (dir < 12 || len < 0 || len % 64 != 0 || size_t(dir) + size_t(len) != file.size()) {
        problem = "directory does not end the file in whole 64-byte entries";
        return out;
    }
    for (int32_t at = dir; at < dir + len; at += 64) {
        const char* name = reinterpret_cast<const char*>(&file[size_t(at)]);
        size_t n = 0;
        while (n < 56 && name[n] != 0) ++n;
        if (n == 56) {
            problem = "a name field without its terminating zero";
            return {};
        }
        out.push_back({std::string(name, n), Le32(file, size_t(at) + 56), Le32(file, size_t(at) + 60)});
    }
    return out;
}

// The bytes of the member named `name` (in any case, as the game looks it
// up); none when the archive has no such member.
inline std::vector<uint8_t> MemberBytes(const std::vector<uint8_t>& archive, const std::string& name) {
    std::string problem;
    for (const ArchiveEntry& e : ReadDirectory(archive, problem))
        if (Upper(e.name) == Upper(name)) return {archive.begin() + e.offset, archive.begin() + e.offset + e.size};
    return {};
}

// The string literals of a C++ source, comments skipped and escapes
// resolved, with the index of each literal's opening quote.
struct Literal {
    std::string text;
    size_t pos;
};

inline std::vector<Literal> StringLiterals(const std::string& src) {
    std::vector<Literal> out;
    for (size_t i = 0; i < src.size(); ++i) {
        char c = src[i];
        if (c == '/' && i + 1 < src.size() && src[i + 1] == '/') {
            i = src.find('\n', i);
            if (i == std::string::npos) break;
        } else if (c == '/' && i + 1 < src.size() && src[i + 1] == '*') {
            i = src.find("*/", i + 2);
            if (i == std::string::npos) break;
            ++i;
        } else if (c == '\'') {
            for (++i; i < src.size() && src[i] != '\''; ++i)
                if (src[i] == '\\') ++i;
        } else if (c == '"') {
            Literal lit{"", i};
            for (++i; i < src.size() && src[i] != '"'; ++i) {
                if (src[i] == '\\' && i + 1 < src.size()) ++i;
                lit.text += src[i];
            }
            out.push_back(lit);
        }
    }
    return out;
}

struct SourceFile {
    std::string path, text;
};

// Every C++ source of the game itself.
inline std::vector<SourceFile> GameSources() {
    std::vector<SourceFile> out;
    for (const char* dir : {"core", "audio", "table", "menus", "tables"}) {
        std::filesystem::path root = kSource + "/" + dir;
        for (const auto& de : std::filesystem::recursive_directory_iterator(root)) {
            auto ext = de.path().extension();
            if (de.is_regular_file() && (ext == ".cpp" || ext == ".h"))
                out.push_back({de.path().string(), ReadFile(de.path().string())});
        }
    }
    std::sort(out.begin(), out.end(), [](const SourceFile& a, const SourceFile& b) { return a.path < b.path; });
    return out;
}

// Back-slashes in loose-file names are folder separators.
inline std::string Normalise(std::string s) {
    std::replace(s.begin(), s.end(), '\\', '/');
    return s;
}

inline bool EndsWithCi(const std::string& s, const std::string& suffix) {
    return s.size() >= suffix.size() && Upper(s.substr(s.size() - suffix.size())) == Upper(suffix);
}

// The sound tours the game-data tool packs beside the manifest's members.
inline std::vector<std::string> TourMembers() {
    std::vector<std::string> made;
    for (const auto& file : std::filesystem::directory_iterator(kSource + "/assets/tours"))
        if (file.path().extension() == ".tour") made.push_back(tamblor::TourMember(file.path().stem().string()));
    return made;
}

}  // namespace datatest
