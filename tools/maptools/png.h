// A picture of a map, for looking a table over: a small self-contained PNG
// writer (stored deflate blocks, so no compression library is needed).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/maptools/map_source.h"

namespace tamblor::maptools {

// CRC-32 as PNG chunks use it; pass the previous result to continue a run.
uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0);
uint32_t Adler32(const uint8_t* data, size_t size);

// 8-bit RGB, rows top to bottom, 3 bytes per pixel.
std::vector<uint8_t> EncodePng(uint32_t width, uint32_t height, const std::vector<uint8_t>& rgb);

// Code 0 is near black, code 1 light grey; every other code gets its own
// well-spread colour.
std::array<uint8_t, 3> CodeColour(uint8_t code);

// One square of cellPixels × cellPixels per cell in its code's colour.
std::vector<uint8_t> RenderMapPng(const MapGrid& grid, int cellPixels = 10);

}  // namespace tamblor::maptools
