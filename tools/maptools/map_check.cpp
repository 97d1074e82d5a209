// The rules a map source may declare, checked against its grid.
#include <deque>

#include "tools/maptools/map_source.h"

namespace tamblor::maptools {

namespace {

constexpr int kMessagesPerRule = 8;  // enough to see the pattern without drowning in it

// Appended rather than a literal plus a string, which GCC 12 at -O3 takes
// for an overlapping copy.
std::string At(int x, int y) {
    std::string at(1, '(');
    at += std::to_string(x) + ", " + std::to_string(y) + ")";
    return at;
}

// Collects one rule's messages, keeping the first few.
class RuleReport {
public:
    RuleReport(const MapSource& source, int ruleLine, std::vector<Diagnostic>& out)
        : source_(source), ruleLine_(ruleLine), out_(out) {}
    ~RuleReport() {
        if (count_ > kMessagesPerRule)
            out_.push_back({source_.file, ruleLine_,
                            std::to_string(count_ - kMessagesPerRule) + " more cells break this rule"});
    }
    void Add(int line, const std::string& message) {
        if (++count_ <= kMessagesPerRule) out_.push_back({source_.file, line, message});
    }

private:
    const MapSource& source_;
    int ruleLine_;
    std::vector<Diagnostic>& out_;
    int count_ = 0;
};

bool OnEdge(int x, int y) { return x == 0 || y == 0 || x == kGridSize - 1 || y == kGridSize - 1; }

// Breadth-first flood over the cells `open` admits, from `seeds`; records
// for every cell reached which seed got there first (-1: not reached).
template <typename Open>
std::vector<int> Flood(const std::vector<GridPosition>& seeds, bool diagonals, Open open) {
    std::vector<int> from(kGridCells, -1);
    std::deque<std::pair<int, int>> queue;
    for (size_t i = 0; i < seeds.size(); ++i) {
        const GridPosition& s = seeds[i];
        size_t index = MapGrid::Index(s.x, s.y);
        if (!open(s.x, s.y) || from[index] >= 0) continue;
        from[index] = int(i);
        queue.emplace_back(s.x, s.y);
    }
    while (!queue.empty()) {
        auto [x, y] = queue.front();
        queue.pop_front();
        int seed = from[MapGrid::Index(x, y)];
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                if ((dx == 0 && dy == 0) || (!diagonals && dx != 0 && dy != 0)) continue;
                int nx = x + dx, ny = y + dy;
                if (nx < 0 || ny < 0 || nx >= kGridSize || ny >= kGridSize) continue;
                size_t index = MapGrid::Index(nx, ny);
                if (from[index] >= 0 || !open(nx, ny)) continue;
                from[index] = seed;
                queue.emplace_back(nx, ny);
            }
        }
    }
    return from;
}

void CheckNumbers(const MapSource& s, std::vector<Diagnostic>& out) {
    for (const NumberRange& range : s.rules.numbers) {
        RuleReport report(s, range.line, out);
        for (int y = 0; y < kGridSize; ++y) {
            for (int x = 0; x < kGridSize; ++x) {
                if (s.grid.Code(x, y) != range.code) continue;
                int number = s.grid.Number(x, y);
                if (number >= range.low && number <= range.high) continue;
                report.Add(s.origin[MapGrid::Index(x, y)],
                           "cell " + At(x, y) + " of code " + std::to_string(range.code) + " has second byte " +
                               std::to_string(number) + ", outside " + std::to_string(range.low) + ".." +
                               std::to_string(range.high) + " (rule at line " + std::to_string(range.line) + ")");
            }
        }
    }
}

void CheckOpen(const MapSource& s, std::vector<Diagnostic>& out) {
    for (const GridPosition& p : s.rules.open) {
        int code = s.grid.Code(p.x, p.y);
        if (code == 0) continue;
        out.push_back({s.file, p.line,
                       At(p.x, p.y) + " must be open floor (code 0) but holds code " + std::to_string(code) +
                           " (from line " + std::to_string(s.origin[MapGrid::Index(p.x, p.y)]) + ")"});
    }
}

void CheckStarts(const MapSource& s, std::vector<Diagnostic>& out) {
    const MapRules& r = s.rules;
    for (const GridPosition& p : r.starts) {
        int code = s.grid.Code(p.x, p.y);
        bool blocked = r.passable.Declared() ? !r.passable.Contains(code) : r.enclosing.Contains(code);
        if (blocked)
            out.push_back({s.file, p.line,
                           "start " + At(p.x, p.y) + " holds code " + std::to_string(code) +
                               ", which the ball cannot roll through"});
    }
}

// Nothing the ball can get to may lie on the edge of the field unless it is
// enclosing. Diagonal neighbours count: a step can cross a cell corner.
void CheckEnclosure(const MapSource& s, std::vector<Diagnostic>& out) {
    const MapRules& r = s.rules;
    if (!r.enclosing.Declared()) return;
    auto open = [&](int x, int y) { return !r.enclosing.Contains(s.grid.Code(x, y)); };
    std::vector<GridPosition> seeds = r.starts;
    if (seeds.empty()) {
        // Without starts any open cell may hold the ball, so every open
        // cell on the edge is a leak.
        for (int y = 0; y < kGridSize; ++y)
            for (int x = 0; x < kGridSize; ++x)
                if (OnEdge(x, y)) seeds.push_back({x, y, 0});
    }
    std::vector<int> from = Flood(seeds, true, open);
    RuleReport report(s, r.enclosing.line, out);
    for (int y = 0; y < kGridSize; ++y) {
        for (int x = 0; x < kGridSize; ++x) {
            size_t index = MapGrid::Index(x, y);
            if (!OnEdge(x, y) || from[index] < 0) continue;
            std::string via;
            if (!r.starts.empty()) {
                const GridPosition& start = r.starts[size_t(from[index])];
                via = ", reachable from the start " + At(start.x, start.y);
            }
            report.Add(s.origin[index], "enclosure broken: " + At(x, y) + " on the edge of the field holds code " +
                                            std::to_string(s.grid.Code(x, y)) + via +
                                            " (enclose rule at line " + std::to_string(r.enclosing.line) + ")");
        }
    }
}

// A cell of a 'reach' code counts as reached when the ball can roll onto it
// or next to it (a target or bumper is hit from the neighbouring cell).
void CheckReach(const MapSource& s, std::vector<Diagnostic>& out) {
    const MapRules& r = s.rules;
    if (!r.reach.Declared() || r.starts.empty() || !r.passable.Declared()) return;
    auto open = [&](int x, int y) { return r.passable.Contains(s.grid.Code(x, y)); };
    std::vector<int> from = Flood(r.starts, false, open);
    auto reached = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < kGridSize && y < kGridSize && from[MapGrid::Index(x, y)] >= 0;
    };
    RuleReport report(s, r.reach.line, out);
    for (int y = 0; y < kGridSize; ++y) {
        for (int x = 0; x < kGridSize; ++x) {
            int code = s.grid.Code(x, y);
            if (!r.reach.Contains(code)) continue;
            if (reached(x, y) || reached(x - 1, y) || reached(x + 1, y) || reached(x, y - 1) || reached(x, y + 1))
                continue;
            report.Add(s.origin[MapGrid::Index(x, y)],
                       "cell " + At(x, y) + " of code " + std::to_string(code) +
                           " cannot be reached from the start positions (reach rule at line " +
                           std::to_string(r.reach.line) + ")");
        }
    }
}

}  // namespace

std::vector<Diagnostic> CheckMapRules(const MapSource& source) {
    std::vector<Diagnostic> out;
    CheckNumbers(source, out);
    CheckOpen(source, out);
    CheckStarts(source, out);
    CheckEnclosure(source, out);
    CheckReach(source, out);
    return out;
}

}  // namespace tamblor::maptools
