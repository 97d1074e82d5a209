#include "tools/maptools/map_writer.h"

#include <string_view>

#include "table/table_map.h"

namespace tamblor::maptools {

namespace {

// Field types in file order: B byte, I 16-bit integer, F float, T text.
constexpr std::string_view kHeaderLayout = "BTBTBTBBBBBTBFBTBTBTBTB";
constexpr std::string_view kCellLayout = "BBBBTIBIBFBBIBIBFBBBBBBBBBBBBBBBBB";
constexpr std::string_view kFooterLayout = "IIIIIIIIIIIIIIIIIIIIIIIIIIIIIIIIIIIIIIT";

static_assert(kHeaderLayout.size() == size_t(kMapHeaderFields));
static_assert(kCellLayout.size() == size_t(kMapCellFields));
static_assert(kFooterLayout.size() == size_t(kMapFooterNumbers) + 1);

// Every field blank or zero, except the cell's first two.
void AppendRecord(std::string& out, std::string_view layout, int code = 0, int number = 0) {
    for (size_t i = 0; i < layout.size(); ++i) {
        if (i > 0) out += ',';
        if (layout[i] == 'T') {
            out += "\"\"";
        } else if (i == 0) {
            out += std::to_string(code);
        } else if (i == 1) {
            out += std::to_string(number);
        } else {
            out += '0';
        }
    }
    out += "\r\n";
}

}  // namespace

std::string WriteGameMap(const MapGrid& grid) {
    std::string out;
    out.reserve(kGridCells * (kCellLayout.size() * 2 + 8) + 512);
    AppendRecord(out, kHeaderLayout);
    for (int y = 0; y < kGridSize; ++y)
        for (int x = 0; x < kGridSize; ++x) AppendRecord(out, kCellLayout, grid.Code(x, y), grid.Number(x, y));
    AppendRecord(out, kFooterLayout);
    return out;
}

}  // namespace tamblor::maptools
