// The manifest against the game's code: every member name the code asks
// for exists, every member is asked for by some code (or belongs to a part
// of the game not written yet), and each name is made in the channel count
// of the player the code hands it to.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>

#include "data/data_support.h"

using namespace datatest;

namespace {

// Names the code composes at run time: the literal prefix it writes, and
// the manifest entries that prefix reaches (prefix, then digits, ".wav").
const char* const kFamilies[] = {
    "sounds/numbers/", "sounds/taunt_0", "system/initials/", "soccer/v_d",      "soccer/Kick0",   "heist/C",
    "heist/J",         "heist/j",        "heist/SE0",        "heist/SB0",       "safari/V",       "Safari/Amb",
    "Safari/water",    "Safari/Sand",    "Haunted/V",        "Haunted/SE0",     "Haunted/LE0",    "Haunted/Glass",
    "Haunted/W",       "wildwest/Gen_0", "wildwest/Amb_0",   "wildwest/Yell_0", "wildwest/horse", "wildwest/ricocht",
};

// Parts of the game whose code has not landed yet: their members are not
// asked for by any code so far. Remove a line when its code arrives (the
// test says so once nothing under it is unrequested any more).
const char* const kNotBuiltYet[] = {
    "soccer/ejectplayer.wav",  // Soccer Star's ejection: no rule of the match sends a player off
};

bool FamilyMember(const std::string& name, const std::string& prefix) {
    if (name.size() <= prefix.size() + 4 || Upper(name.substr(0, prefix.size())) != Upper(prefix)) return false;
    std::string rest = name.substr(prefix.size(), name.size() - prefix.size() - 4);
    if (!EndsWithCi(name, ".wav")) return false;
    // Number words are named by digits or by the word itself.
    if (prefix == std::string("sounds/numbers/")) return true;
    if (prefix == std::string("system/initials/") && rest == "point") return true;
    return !rest.empty() && std::all_of(rest.begin(), rest.end(), [](unsigned char c) { return std::isdigit(c); });
}

struct Requests {
    std::map<std::string, std::string> names;  // upper-cased name -> where
    std::set<std::string> prefixes;            // families whose prefix the code writes
};

Requests ScanCode() {
    Requests r;
    for (const SourceFile& f : GameSources()) {
        for (const Literal& lit : StringLiterals(f.text)) {
            std::string s = Normalise(lit.text);
            if ((EndsWithCi(s, ".wav") || EndsWithCi(s, ".map")) && s.find('/') != std::string::npos)
                r.names.emplace(Upper(s), f.path);
            for (const char* prefix : kFamilies)
                if (Upper(s) == Upper(prefix)) r.prefixes.insert(prefix);
        }
    }
    // The sound tours are data the game plays from: the voices they name
    // are asked for as much as a name in the code.
    for (const auto& file : std::filesystem::directory_iterator(kSource + "/assets/tours")) {
        if (file.path().extension() != ".tour") continue;
        std::istringstream lines(ReadFile(file.path().string()));
        for (std::string line; std::getline(lines, line);) {
            // A member left out of the tour is not played by it.
            if (line.empty() || line[0] == '#' || line.find("\tout\t") != std::string::npos) continue;
            std::istringstream fields(line);
            for (std::string field; std::getline(fields, field, '\t');)
                if (EndsWithCi(field, ".wav") && field.find('/') != std::string::npos)
                    r.names.emplace(Upper(field), file.path().string());
        }
    }
    return r;
}

TEST(ManifestAndCode, EveryNameTheCodeRequestsIsInTheManifestAndEveryEntryIsRequested) {
    const std::vector<ManifestEntry> entries = LoadManifest();
    std::set<std::string> manifest;
    for (const ManifestEntry& m : entries) manifest.insert(Upper(m.name));
    const Requests r = ScanCode();
    ASSERT_FALSE(r.names.empty()) << "found no member names in the game's sources";
    for (const auto& [name, where] : r.names) EXPECT_TRUE(manifest.count(name)) << name << " (" << where << ")";

    std::map<std::string, int> unrequested_under;
    for (const ManifestEntry& m : entries) {
        bool requested = r.names.count(Upper(m.name)) != 0;
        for (const std::string& prefix : r.prefixes) requested = requested || FamilyMember(m.name, prefix);
        const char* exempt = nullptr;
        for (const char* p : kNotBuiltYet)
            if (Upper(m.name).rfind(Upper(p), 0) == 0) exempt = p;
        if (exempt) {
            if (!requested) unrequested_under[exempt]++;
            continue;
        }
        EXPECT_TRUE(requested) << m.name << " is never requested by the game's code";
    }
    for (const char* p : kNotBuiltYet)
        EXPECT_GT(unrequested_under[p], 0) << "every member under " << p << " is requested now: drop it from kNotBuiltYet";
}

// Where `player` is called in `text`: the index of each call's opening
// parenthesis and of its matching closing one.
std::vector<std::pair<size_t, size_t>> Calls(const std::string& text, const std::string& player) {
    std::vector<std::pair<size_t, size_t>> calls;
    for (size_t at = text.find(player); at != std::string::npos; at = text.find(player, at + 1)) {
        bool word_start = at == 0 || !(std::isalnum((unsigned char)text[at - 1]) || text[at - 1] == '_');
        size_t open = text.find_first_not_of(" \t", at + player.size());
        if (!word_start || open == std::string::npos || text[open] != '(') continue;
        int depth = 0;
        size_t close = open;
        for (; close < text.size(); ++close) {
            if (text[close] == '"') {
                for (++close; close < text.size() && text[close] != '"'; ++close)
                    if (text[close] == '\\') ++close;
                continue;
            }
            if (text[close] == '(') ++depth;
            if (text[close] == ')' && --depth == 0) break;
        }
        calls.push_back({open, close});
    }
    return calls;
}

// The players and loaders, the channel count each takes a member in, and
// whether it is a voice player: PlaySound("x.wav", ...) and
// CreateSoundBuffer(slot, "x.wav") take mono; PlayStereo, PlayAndWait and
// CreateStereoSoundBuffer stereo. A voice player takes a voice as speech
// (kept for the repeat key, cut by the silence key, turned by the speech
// volume) unless the call names another class: a recording of words must
// be speech, a made sound not.
TEST(ManifestAndCode, MembersSuitThePlayerTheCodeHandsThemTo) {
    std::map<std::string, ManifestEntry> entries;
    for (const ManifestEntry& m : LoadManifest()) entries[Upper(m.name)] = m;
    const struct {
        const char* name;
        int channels;
        bool voices;
    } kPlayers[] = {{"PlaySound", 1, true}, {"CreateSoundBuffer", 1, false}, {"PlayStereo", 2, true},
                    {"PlayAndWait", 2, true}, {"CreateStereoSoundBuffer", 2, false}};
    int channels_checked = 0, kinds_checked = 0;
    for (const SourceFile& f : GameSources()) {
        for (const auto& player : kPlayers) {
            for (const auto& [open, close] : Calls(f.text, player.name)) {
                const std::string call = f.text.substr(open, close - open);
                const bool notSpeech = call.find("SoundClass::Effects") != std::string::npos ||
                                       call.find("SoundClass::Music") != std::string::npos;
                bool first = true;  // the call's own member: its first ".wav" literal
                for (const Literal& lit : StringLiterals(call)) {
                    if (!EndsWithCi(lit.text, ".wav")) continue;
                    auto m = entries.find(Upper(Normalise(lit.text)));
                    if (m != entries.end() && first) {
                        ++channels_checked;
                        EXPECT_EQ(m->second.Channels(), player.channels)
                            << lit.text << " is played by " << player.name << " in " << f.path;
                    }
                    if (m != entries.end() && player.voices) {
                        ++kinds_checked;
                        const bool spoken = m->second.kind == "say" || m->second.kind == "word";
                        EXPECT_EQ(spoken, !notSpeech) << lit.text << " (" << m->second.kind << ") in " << f.path;
                    }
                    first = false;
                }
            }
        }
    }
    EXPECT_GT(channels_checked, 10) << "found too few player calls to check";
    EXPECT_GT(kinds_checked, 10) << "found too few player calls to check";
}

}  // namespace
