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
struct Family {
    const char* prefix;
};
const Family kFamilies[] = {
    {"sounds/numbers/"},   {"sounds/taunt_0"},  {"system/initials/"}, {"soccer/v_d"},     {"soccer/Kick0"},
    {"heist/C"},           {"heist/J"},         {"heist/j"},          {"heist/SE0"},      {"heist/SB0"},
    {"safari/V"},          {"Safari/Amb"},      {"Safari/water"},     {"Safari/Sand"},    {"Haunted/V"},
    {"Haunted/SE0"},       {"Haunted/LE0"},     {"Haunted/Glass"},    {"Haunted/W"},      {"wildwest/Gen_0"},
    {"wildwest/Amb_0"},    {"wildwest/Yell_0"}, {"wildwest/horse"},   {"wildwest/ricocht"},
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
            for (const Family& fam : kFamilies)
                if (Upper(s) == Upper(fam.prefix)) r.prefixes.insert(fam.prefix);
        }
    }
    // The sound tours are data the game plays from: the voices they name
    // are asked for as much as a name in the code.
    for (const auto& file : std::filesystem::directory_iterator(kSource + "/assets/tours")) {
        if (file.path().extension() != ".tour") continue;
        std::istringstream lines(ReadText(file.path().string()));
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

TEST(ManifestAndCode, EveryNameTheCodeRequestsIsInTheManifest) {
    std::set<std::string> manifest;
    for (const ManifestEntry& m : LoadManifest()) manifest.insert(Upper(m.name));
    Requests r = ScanCode();
    ASSERT_FALSE(r.names.empty()) << "found no member names in the game's sources";
    for (const auto& [name, where] : r.names) EXPECT_TRUE(manifest.count(name)) << name << " (" << where << ")";
}

TEST(ManifestAndCode, EveryManifestEntryIsRequestedByTheCode) {
    Requests r = ScanCode();
    std::map<std::string, int> unrequested_under;
    for (const ManifestEntry& m : LoadManifest()) {
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

// The players and loaders, and the channel count each takes a member in.
// PlaySound("x.wav", ...) and CreateSoundBuffer(slot, "x.wav") play mono;
// PlayStereo, PlayAndWait and CreateStereoSoundBuffer play stereo.
TEST(ManifestAndCode, MembersHaveTheChannelsOfThePlayerTheCodeUses) {
    std::map<std::string, int> channels;
    for (const ManifestEntry& m : LoadManifest()) channels[Upper(m.name)] = m.Channels();
    const std::pair<const char*, int> kPlayers[] = {{"PlaySound", 1},
                                                    {"CreateSoundBuffer", 1},
                                                    {"PlayStereo", 2},
                                                    {"PlayAndWait", 2},
                                                    {"CreateStereoSoundBuffer", 2}};
    int calls_checked = 0;
    for (const SourceFile& f : GameSources()) {
        std::vector<Literal> lits = StringLiterals(f.text);
        for (const auto& [player, want] : kPlayers) {
            for (const auto& [open, close] : Calls(f.text, player)) {
                // The first ".wav" literal inside the call's own parentheses.
                for (const Literal& lit : lits) {
                    if (lit.pos <= open || lit.pos >= close || !EndsWithCi(lit.text, ".wav")) continue;
                    std::string name = Upper(Normalise(lit.text));
                    if (channels.count(name)) {
                        ++calls_checked;
                        EXPECT_EQ(channels[name], want) << lit.text << " is played by " << player << " in " << f.path;
                    }
                    break;
                }
            }
        }
    }
    EXPECT_GT(calls_checked, 10) << "found too few player calls to check";
}

// The voice players take a voice as speech (kept for the repeat key, cut
// by the silence key, turned by the speech volume) unless the call names
// another class: a recording of words must be speech, a made sound not.
TEST(ManifestAndCode, VoicePlayersTakeSpeechAsSpeechAndSoundsAsEffectsOrMusic) {
    std::map<std::string, std::string> kinds;
    for (const ManifestEntry& m : LoadManifest()) kinds[Upper(m.name)] = m.kind;
    int calls_checked = 0;
    for (const SourceFile& f : GameSources()) {
        for (const char* player : {"PlaySound", "PlayStereo", "PlayAndWait"}) {
            for (const auto& [open, close] : Calls(f.text, player)) {
                const std::string call = f.text.substr(open, close - open);
                const bool notSpeech = call.find("SoundClass::Effects") != std::string::npos ||
                                       call.find("SoundClass::Music") != std::string::npos;
                for (const Literal& lit : StringLiterals(call)) {
                    if (!EndsWithCi(lit.text, ".wav")) continue;
                    auto kind = kinds.find(Upper(Normalise(lit.text)));
                    if (kind == kinds.end()) continue;
                    ++calls_checked;
                    const bool spoken = kind->second == "say" || kind->second == "word";
                    EXPECT_EQ(spoken, !notSpeech) << lit.text << " (" << kind->second << ") in " << f.path;
                }
            }
        }
    }
    EXPECT_GT(calls_checked, 10) << "found too few player calls to check";
}

}  // namespace
