#include "audio/voice_text.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <vector>

#include "audio/archive.h"

namespace tamblor {

namespace {
struct VoiceLine {
    std::string key;  // upper case, "/" as folders
    std::string text;
    bool joined = false;
};

// A table larger than this is not the game's own.
constexpr int32_t kLargestTable = 1 << 20;

std::vector<VoiceLine> g_lines;  // sorted by key
const std::string kNoText;

char KeyChar(char c) { return c == '\\' ? '/' : static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

// Compares a stored key with a name as it is asked for, without copying it.
int CompareKey(const std::string& key, std::string_view name) {
    const size_t n = std::min(key.size(), name.size());
    for (size_t i = 0; i < n; ++i) {
        const unsigned char a = static_cast<unsigned char>(key[i]), b = static_cast<unsigned char>(KeyChar(name[i]));
        if (a != b) return a < b ? -1 : 1;
    }
    return key.size() == name.size() ? 0 : key.size() < name.size() ? -1 : 1;
}

const VoiceLine* Find(std::string_view name) {
    auto it = std::lower_bound(g_lines.begin(), g_lines.end(), name,
                               [](const VoiceLine& l, std::string_view n) { return CompareKey(l.key, n) < 0; });
    return it != g_lines.end() && CompareKey(it->key, name) == 0 ? &*it : nullptr;
}

// Text a speech service can take: no control characters, and nothing but
// printable ASCII or the bytes of UTF-8 (the table is written by our tool).
bool PlainText(std::string_view text) {
    return !text.empty() && std::none_of(text.begin(), text.end(), [](char c) {
        const unsigned char u = static_cast<unsigned char>(c);
        return u < 0x20 || u == 0x7f;
    });
}
}  // namespace

bool LoadVoiceTexts() {
    g_lines.clear();
    const int index = FindMember(kVoiceTextMember);
    if (index == kMemberNotFound) return false;
    const ArchiveEntry& entry = ArchiveDirectory()[index];
    if (!entry.usable || entry.size <= 0 || entry.size > kLargestTable) return false;
    const std::vector<uint8_t> bytes = ReadMember(index);
    const std::string_view all(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    size_t bad = 0;
    for (size_t at = 0; at < all.size();) {
        size_t end = all.find('\n', at);
        if (end == std::string_view::npos) end = all.size();
        const std::string_view line = all.substr(at, end - at);
        at = end + 1;
        const size_t tab1 = line.find('\t'), tab2 = tab1 == line.npos ? line.npos : line.find('\t', tab1 + 1);
        if (tab2 == line.npos || tab1 == 0) {
            bad += !line.empty();
            continue;
        }
        const std::string_view name = line.substr(0, tab1), kind = line.substr(tab1 + 1, tab2 - tab1 - 1),
                               text = line.substr(tab2 + 1);
        if (!PlainText(name) || !PlainText(text) || (kind != "say" && kind != "word")) {
            ++bad;
            continue;
        }
        VoiceLine l;
        for (char c : name) l.key += KeyChar(c);
        l.text = std::string(text);
        l.joined = kind == "word";
        g_lines.push_back(std::move(l));
    }
    // A table with lines that cannot be its own is not trusted at all.
    if (bad > 0 || g_lines.empty()) {
        std::fprintf(stderr, "Tamblor: the archive's voice texts are damaged; system speech is left out.\n");
        g_lines.clear();
        return false;
    }
    std::stable_sort(g_lines.begin(), g_lines.end(), [](const VoiceLine& a, const VoiceLine& b) { return CompareKey(a.key, b.key) < 0; });
    return true;
}

void ForgetVoiceTexts() { g_lines.clear(); }

const std::string& VoiceText(std::string_view member) {
    const VoiceLine* l = Find(member);
    return l ? l->text : kNoText;
}

bool JoinedWord(std::string_view member) {
    const VoiceLine* l = Find(member);
    return l && l->joined;
}

size_t WriteNumberText(double number, char* out, size_t room) {
    if (room == 0) return 0;
    // The same range SpeakNumber says.
    const double whole = number >= 1 ? std::min(std::floor(number), 999999999999.0) : 0;
    char digits[16];
    const int count = std::snprintf(digits, sizeof digits, "%.0f", whole);
    size_t n = 0;
    for (int i = 0; i < count && n + 1 < room; ++i) {
        if (i > 0 && (count - i) % 3 == 0) {
            out[n++] = ',';
            if (n + 1 >= room) break;
        }
        out[n++] = digits[i];
    }
    out[n] = 0;
    return n;
}

std::string NumberText(double number) {
    char text[24];
    return std::string(text, WriteNumberText(number, text, sizeof text));
}

}  // namespace tamblor
