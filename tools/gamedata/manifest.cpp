#include "tools/gamedata/manifest.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <sstream>
#include <stdexcept>

namespace gamedata {

std::vector<Entry> ParseManifest(const std::string& text, const std::string& file) {
    std::vector<Entry> out;
    std::set<std::string> seen;
    std::istringstream in(text);
    std::string line;
    int lineno = 0;
    while (std::getline(in, line)) {
        ++lineno;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        auto fail = [&](const std::string& why) {
            throw std::runtime_error(file + ":" + std::to_string(lineno) + ": " + why);
        };
        std::vector<std::string> fields;
        std::string cur;
        for (char c : line) {
            if (c == '\t') {
                if (!cur.empty()) fields.push_back(cur);
                cur.clear();
            } else {
                cur += c;
            }
        }
        if (!cur.empty()) fields.push_back(cur);
        if (fields.size() < 4 || fields.size() > 5) fail("expected name, channels, kind, content [, options]");
        Entry e;
        e.line = lineno;
        e.name = fields[0];
        if (e.name.size() > 55) fail("name longer than 55 characters");
        if (e.name.find('\\') != std::string::npos || e.name.find(' ') != std::string::npos)
            fail("names use '/' and no spaces");
        e.kind = fields[2];
        e.content = fields[3];
        if (fields[1] == "mono") e.channels = 1;
        else if (fields[1] == "stereo") e.channels = 2;
        else if (fields[1] != "-") fail("channels must be mono, stereo or -");
        static const std::set<std::string> kKinds{"fx", "loop", "say", "word", "map"};
        if (!kKinds.count(e.kind)) fail("unknown kind " + e.kind);
        if ((e.kind == "map") != (e.channels == 0)) fail("maps, and only maps, have channels '-'");
        if (e.kind == "map" && e.Loose()) fail("maps belong in the archive");
        if (fields.size() == 5) {
            std::istringstream opts(fields[4]);
            std::string tok;
            while (opts >> tok) {
                size_t eq = tok.find('=');
                if (eq == std::string::npos) fail("option without '=': " + tok);
                e.options[tok.substr(0, eq)] = tok.substr(eq + 1);
            }
        }
        std::string upper = e.name;
        std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
        if (!seen.insert(upper).second) fail("name repeated (case ignored): " + e.name);
        out.push_back(std::move(e));
    }
    return out;
}

}  // namespace gamedata
