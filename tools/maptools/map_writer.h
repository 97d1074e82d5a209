// Writing a map grid in the text field format the game's map loader reads.
#pragma once

#include <string>

#include "tools/maptools/map_source.h"

namespace tamblor::maptools {

// Header with placeholder values (zeros, blank texts), then one line per
// cell, y = 0..49 and x = 0..49 within each row, with the cell's code and
// second byte and zeros or blank texts for the other 32 fields, then the
// footer. Lines end in CR LF.
std::string WriteGameMap(const MapGrid& grid);

}  // namespace tamblor::maptools
