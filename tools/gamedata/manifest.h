// The list of every archive member and loose file (assets/manifest.tsv).
// One entry a line, tab-separated: name, channels (mono, stereo, or "-"
// for a map), kind, content, and optional space-separated key=value
// options. Kinds:
//   fx    a one-shot effect; content = recipe name
//   loop  a looping sound; content = recipe name (the recipe has loop=)
//   say   a spoken message; content = the words
//   word  a spoken word that gets joined to others (trimmed tight)
//   map   a table map; content = its source under assets/maps/
// Names starting "system/" are loose files beside the program.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace gamedata {

struct Entry {
    std::string name;
    int channels = 0;  // 0 for maps
    std::string kind;
    std::string content;
    std::map<std::string, std::string> options;
    int line = 0;
    bool Loose() const { return name.rfind("system/", 0) == 0; }
    bool Spoken() const { return kind == "say" || kind == "word"; }
};

// Throws std::runtime_error naming the line for malformed entries and for
// names that collide when case is ignored (the game's lookups ignore case).
std::vector<Entry> ParseManifest(const std::string& text, const std::string& file);

}  // namespace gamedata
