#include "table/tour_data.h"

#include <cstdio>
#include <cstdlib>

#include "audio/archive.h"
#include "core/table_registry.h"

namespace tamblor {

namespace {
// A tour longer than this is not the game's own.
constexpr int32_t kLargestTour = 1 << 18;

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    size_t at = 0;
    for (;;) {
        const size_t tab = line.find('\t', at);
        fields.push_back(line.substr(at, tab == std::string::npos ? std::string::npos : tab - at));
        if (tab == std::string::npos) break;
        at = tab + 1;
    }
    while (!fields.empty() && fields.back().empty()) fields.pop_back();
    return fields;
}

bool ParsePlay(const std::string& word, TourPlay& play) {
    static const struct {
        const char* word;
        TourPlay play;
    } kPlays[] = {{"once", TourPlay::Once},   {"loop", TourPlay::Loop}, {"sweep", TourPlay::Sweep},
                  {"voice", TourPlay::Voice}, {"out", TourPlay::Out}};
    for (const auto& p : kPlays)
        if (word == p.word) {
            play = p.play;
            return true;
        }
    return false;
}

// A whole number 0..255, digits only.
bool ParseByte(const std::string& text, int& out) {
    if (text.empty() || text.size() > 3 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    out = std::atoi(text.c_str());
    return out <= 255;
}

bool ParsePlace(const std::string& text, int& code, int& number) {
    code = number = -1;
    if (text == "-") return true;
    const size_t dot = text.find('.');
    if (!ParseByte(text.substr(0, dot), code)) return false;
    return dot == std::string::npos || ParseByte(text.substr(dot + 1), number);
}

// A voice column names a member of the archive's voices.
bool IsVoiceName(const std::string& text) {
    return text.size() > 4 && text.find('/') != std::string::npos && text.compare(text.size() - 4, 4, ".wav") == 0;
}
}  // namespace

std::string TourMember(const std::string& tableKey) { return "tours/" + tableKey + ".tour"; }

Tour ParseTour(const std::string& text, std::vector<std::string>& problems) {
    Tour tour;
    int lineNumber = 0;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        at = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        const std::vector<std::string> f = Fields(line);
        auto problem = [&](const std::string& what) {
            problems.push_back("line " + std::to_string(lineNumber) + ": " + what);
        };
        TourEntry e;
        e.line = lineNumber;
        if (f.size() < 4 || f.size() > 5 || f[0].empty() || f[3].empty()) {
            problem("wants member, play, place, caption voice and an optional short-name voice");
            continue;
        }
        e.member = f[0];
        if (!ParsePlay(f[1], e.play)) {
            problem("play '" + f[1] + "' is none of once, loop, sweep, voice, out");
            continue;
        }
        if (!ParsePlace(f[2], e.code, e.number)) {
            problem("place '" + f[2] + "' is neither '-' nor a map code");
            continue;
        }
        if (e.play == TourPlay::Out) {
            e.reason = f[3];
            tour.leftOut.push_back(std::move(e));
            continue;
        }
        e.captionVoice = f[3];
        if (f.size() == 5) e.shortVoice = f[4];
        if (!IsVoiceName(e.captionVoice) || (!e.shortVoice.empty() && !IsVoiceName(e.shortVoice))) {
            problem("the caption and short name are voices of the manifest (a folder/name.wav)");
            continue;
        }
        tour.entries.push_back(std::move(e));
    }
    return tour;
}

Tour LoadTour(int table) {
    const std::string key = FactsOfTable(table).keyName;
    const int index = FindMember(TourMember(key));
    if (index == kMemberNotFound) return {};
    const ArchiveEntry& entry = ArchiveDirectory()[index];
    if (!entry.usable || entry.size <= 0 || entry.size > kLargestTour) return {};
    const std::vector<uint8_t> bytes = ReadMember(index);
    std::vector<std::string> problems;
    Tour tour = ParseTour(std::string(bytes.begin(), bytes.end()), problems);
    // The tool let no problem through: a tour with any is not the game's own.
    if (!problems.empty()) {
        std::fprintf(stderr, "Tamblor: the archive's sound tour of %s is damaged; it is left out.\n", key.c_str());
        return {};
    }
    return tour;
}

}  // namespace tamblor
