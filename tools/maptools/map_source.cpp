#include "tools/maptools/map_source.h"

#include <charconv>
#include <optional>

namespace tamblor::maptools {

std::string Diagnostic::Text() const { return file + ":" + std::to_string(line) + ": " + message; }

namespace {

struct LegendEntry {
    bool defined = false;
    uint8_t code = 0;
    uint8_t number = 0;
    int line = 0;
};

struct Override {
    int x = 0;
    int y = 0;
    std::optional<uint8_t> code;
    uint8_t number = 0;
    int line = 0;
};

std::string CharName(char c) {
    if (c == ' ') return "' ' (space)";
    if (c == '\t') return "a tab";
    auto byte = static_cast<unsigned char>(c);
    if (byte < 32 || byte >= 127) return "byte " + std::to_string(byte);
    return std::string("'") + c + "'";
}

// A source word in quotes, for messages. Built by appending: GCC 12 at -O3
// takes a literal plus a string for an overlapping copy and fails the build.
std::string Quoted(std::string_view word) {
    std::string quoted(1, '\'');
    quoted.append(word);
    quoted += '\'';
    return quoted;
}

std::string_view TrimLeft(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    return s;
}

std::string_view StripComment(std::string_view s) {
    size_t semicolon = s.find(';');
    return semicolon == std::string_view::npos ? s : s.substr(0, semicolon);
}

// Words separated by spaces, tabs or commas.
std::vector<std::string_view> Words(std::string_view s) {
    std::vector<std::string_view> words;
    size_t i = 0;
    auto isGap = [](char c) { return c == ' ' || c == '\t' || c == ','; };
    while (i < s.size()) {
        while (i < s.size() && isGap(s[i])) ++i;
        size_t start = i;
        while (i < s.size() && !isGap(s[i])) ++i;
        if (i > start) words.push_back(s.substr(start, i - start));
    }
    return words;
}

class Parser {
public:
    Parser(const std::string& file, std::vector<Diagnostic>& errors) : file_(file), errors_(errors) {}

    void Error(int line, const std::string& message) { errors_.push_back({file_, line, message}); }

    std::optional<int> Number(std::string_view word, int low, int high, const char* what, int line) {
        int value = 0;
        auto result = std::from_chars(word.data(), word.data() + word.size(), value);
        if (result.ec != std::errc() || result.ptr != word.data() + word.size()) {
            Error(line, std::string(what) + " '" + std::string(word) + "' is not a whole number");
            return std::nullopt;
        }
        if (value < low || value > high) {
            Error(line, std::string(what) + " " + std::to_string(value) + " is outside " +
                            std::to_string(low) + ".." + std::to_string(high));
            return std::nullopt;
        }
        return value;
    }

    // "C = CODE [NUMBER]", where C is one character or a character in single
    // quotes. False when the line is not a legend entry at all.
    bool TryLegend(std::string_view rest, int line, std::array<LegendEntry, 256>& legend) {
        char c = 0;
        std::string_view after;
        if (rest.size() >= 3 && rest[0] == '\'' && rest[2] == '\'') {
            c = rest[1];
            after = rest.substr(3);
        } else if (rest.size() >= 2 && (rest[1] == ' ' || rest[1] == '\t' || rest[1] == '=')) {
            c = rest[0];
            after = rest.substr(1);
        } else {
            return false;
        }
        after = TrimLeft(after);
        if (after.empty() || after[0] != '=') return false;
        auto byte = static_cast<unsigned char>(c);
        if (byte < 32 || byte >= 127) {
            Error(line, "legend character " + CharName(c) + " is not a printable character");
            return true;
        }
        std::vector<std::string_view> words = Words(StripComment(after.substr(1)));
        if (words.empty() || words.size() > 2) {
            Error(line, "legend entry for " + CharName(c) + " needs a code and at most a second byte");
            return true;
        }
        auto code = Number(words[0], 0, 255, "cell code", line);
        std::optional<int> number = 0;
        if (words.size() == 2) number = Number(words[1], 0, 255, "second byte", line);
        if (!code || !number) return true;
        LegendEntry& entry = legend[byte];
        if (entry.defined) {
            Error(line, "legend character " + CharName(c) + " was already given at line " +
                            std::to_string(entry.line));
            return true;
        }
        entry = {true, uint8_t(*code), uint8_t(*number), line};
        return true;
    }

    void Positions(const std::vector<std::string_view>& words, int line, std::vector<GridPosition>& out) {
        if (words.size() < 3 || (words.size() - 1) % 2 != 0) {
            Error(line, Quoted(words[0]) + " needs a list of X Y pairs");
            return;
        }
        for (size_t i = 1; i + 1 < words.size(); i += 2) {
            auto x = Number(words[i], 0, kGridSize - 1, "X", line);
            auto y = Number(words[i + 1], 0, kGridSize - 1, "Y", line);
            if (x && y) out.push_back({*x, *y, line});
        }
    }

    void Codes(const std::vector<std::string_view>& words, int line, CodeSet& set) {
        if (words.size() < 2) {
            Error(line, Quoted(words[0]) + " needs at least one cell code");
            return;
        }
        if (set.Declared()) {
            Error(line, Quoted(words[0]) + " was already given at line " + std::to_string(set.line));
            return;
        }
        set.line = line;
        for (size_t i = 1; i < words.size(); ++i) {
            if (auto code = Number(words[i], 0, 255, "cell code", line)) set.codes.set(size_t(*code));
        }
    }

    // "LOW..HIGH" or a single value.
    void Range(const std::vector<std::string_view>& words, int line, std::vector<NumberRange>& ranges) {
        if (words.size() != 3) {
            Error(line, "'number' needs a cell code and a range such as 1..4");
            return;
        }
        auto code = Number(words[1], 0, 255, "cell code", line);
        std::string_view range = words[2];
        size_t dots = range.find("..");
        std::string_view lowWord = dots == std::string_view::npos ? range : range.substr(0, dots);
        std::string_view highWord = dots == std::string_view::npos ? range : range.substr(dots + 2);
        auto low = Number(lowWord, 0, 255, "second byte", line);
        auto high = Number(highWord, 0, 255, "second byte", line);
        if (!code || !low || !high) return;
        if (*low > *high) {
            Error(line, "range " + std::string(range) + " is empty");
            return;
        }
        for (const NumberRange& r : ranges) {
            if (r.code == *code) {
                Error(line, "code " + std::to_string(*code) + " already has a range at line " +
                                std::to_string(r.line));
                return;
            }
        }
        ranges.push_back({*code, *low, *high, line});
    }

    // "at X Y code C [N]" or "at X Y number N".
    void At(const std::vector<std::string_view>& words, int line, std::vector<Override>& overrides) {
        bool isCode = words.size() >= 5 && words[3] == "code" && words.size() <= 6;
        bool isNumber = words.size() == 5 && words[3] == "number";
        if (!isCode && !isNumber) {
            Error(line, "'at' needs 'at X Y code C [N]' or 'at X Y number N'");
            return;
        }
        auto x = Number(words[1], 0, kGridSize - 1, "X", line);
        auto y = Number(words[2], 0, kGridSize - 1, "Y", line);
        Override o;
        o.line = line;
        if (isCode) {
            auto code = Number(words[4], 0, 255, "cell code", line);
            std::optional<int> number = 0;
            if (words.size() == 6) number = Number(words[5], 0, 255, "second byte", line);
            if (!x || !y || !code || !number) return;
            o.code = uint8_t(*code);
            o.number = uint8_t(*number);
        } else {
            auto number = Number(words[4], 0, 255, "second byte", line);
            if (!x || !y || !number) return;
            o.number = uint8_t(*number);
        }
        o.x = *x;
        o.y = *y;
        overrides.push_back(o);
    }

private:
    const std::string& file_;
    std::vector<Diagnostic>& errors_;
};

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

}  // namespace

MapSource ParseMapSource(std::string_view text, const std::string& file, std::vector<Diagnostic>& errors) {
    MapSource source;
    source.file = file;
    Parser parser(file, errors);
    std::array<LegendEntry, 256> legend{};
    std::vector<Override> overrides;
    std::vector<std::string_view> lines = SplitLines(text);
    int gridLine = 0;  // line of the "grid" keyword; its rows follow it

    for (size_t i = 0; i < lines.size(); ++i) {
        int line = int(i) + 1;
        std::string_view rest = TrimLeft(lines[i]);
        if (rest.empty() || rest[0] == ';') continue;
        if (parser.TryLegend(rest, line, legend)) continue;
        std::vector<std::string_view> words = Words(StripComment(rest));
        if (words.empty()) continue;
        std::string_view word = words[0];
        if (word == "grid") {
            if (words.size() != 1) parser.Error(line, "'grid' stands alone; its rows follow on the next lines");
            if (gridLine != 0) {
                parser.Error(line, "a second grid (the first is at line " + std::to_string(gridLine) + ")");
            }
            gridLine = line;
            size_t available = std::min<size_t>(kGridSize, lines.size() - i - 1);
            if (available < size_t(kGridSize))
                parser.Error(line, "the grid has " + std::to_string(available) + " rows; it needs " +
                                       std::to_string(kGridSize));
            for (size_t y = 0; y < available; ++y) {
                std::string_view row = lines[i + 1 + y];
                int rowLine = line + 1 + int(y);
                if (row.size() != size_t(kGridSize)) {
                    parser.Error(rowLine, "grid row " + std::to_string(y) + " has " + std::to_string(row.size()) +
                                              " characters; every row needs exactly " +
                                              std::to_string(kGridSize));
                    continue;
                }
                for (int x = 0; x < kGridSize; ++x) {
                    size_t index = MapGrid::Index(x, int(y));
                    source.grid.codes[index] = static_cast<uint8_t>(row[size_t(x)]);  // resolved below
                    source.origin[index] = rowLine;
                }
            }
            i += available;
        } else if (word == "at") {
            parser.At(words, line, overrides);
        } else if (word == "start") {
            parser.Positions(words, line, source.rules.starts);
        } else if (word == "open") {
            parser.Positions(words, line, source.rules.open);
        } else if (word == "passable") {
            parser.Codes(words, line, source.rules.passable);
        } else if (word == "enclose") {
            parser.Codes(words, line, source.rules.enclosing);
        } else if (word == "reach") {
            parser.Codes(words, line, source.rules.reach);
        } else if (word == "number") {
            parser.Range(words, line, source.rules.numbers);
        } else {
            parser.Error(line, "unknown line starting with '" + std::string(word) +
                                   "' (legend entries read 'C = CODE [SECOND]')");
        }
    }

    if (gridLine == 0) {
        parser.Error(int(lines.size()), "the source has no grid");
        return source;
    }

    // Characters to codes; each unknown character is reported once.
    std::bitset<256> reported;
    for (int y = 0; y < kGridSize; ++y) {
        for (int x = 0; x < kGridSize; ++x) {
            size_t index = MapGrid::Index(x, y);
            if (source.origin[index] == 0) continue;  // a row already reported
            auto c = static_cast<unsigned char>(source.grid.codes[index]);
            const LegendEntry& entry = legend[c];
            if (!entry.defined) {
                if (!reported.test(c))
                    parser.Error(source.origin[index], "character " + CharName(char(c)) + " at (" +
                                                           std::to_string(x) + ", " + std::to_string(y) +
                                                           ") is not in the legend");
                reported.set(c);
                source.grid.codes[index] = 0;
                continue;
            }
            source.grid.codes[index] = entry.code;
            source.grid.numbers[index] = entry.number;
        }
    }
    for (const Override& o : overrides) {
        size_t index = MapGrid::Index(o.x, o.y);
        if (o.code) source.grid.codes[index] = *o.code;
        source.grid.numbers[index] = o.number;
        source.origin[index] = o.line;
    }

    const MapRules& rules = source.rules;
    if (rules.reach.Declared() && rules.starts.empty())
        parser.Error(rules.reach.line, "'reach' needs start positions ('start X Y, ...')");
    if (rules.reach.Declared() && !rules.passable.Declared())
        parser.Error(rules.reach.line, "'reach' needs the passable codes ('passable C ...')");
    return source;
}

}  // namespace tamblor::maptools
