#include "tools/maptools/png.h"

#include <algorithm>
#include <stdexcept>
#include <string_view>

namespace tamblor::maptools {

namespace {

void PutBe32(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v >> 24));
    out.push_back(uint8_t(v >> 16));
    out.push_back(uint8_t(v >> 8));
    out.push_back(uint8_t(v));
}

void PutChunk(std::vector<uint8_t>& out, std::string_view type, const std::vector<uint8_t>& data) {
    PutBe32(out, uint32_t(data.size()));
    size_t crcStart = out.size();
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), data.begin(), data.end());
    PutBe32(out, Crc32(out.data() + crcStart, out.size() - crcStart));
}

// A zlib stream of stored (uncompressed) deflate blocks.
std::vector<uint8_t> StoredZlib(const std::vector<uint8_t>& raw) {
    constexpr size_t kMaxBlock = 65535;
    std::vector<uint8_t> out{0x78, 0x01};  // deflate, 32 KiB window, check bits valid
    size_t pos = 0;
    do {
        size_t length = std::min(kMaxBlock, raw.size() - pos);
        bool last = pos + length == raw.size();
        out.push_back(last ? 1 : 0);  // BFINAL, BTYPE 00 = stored
        out.push_back(uint8_t(length));
        out.push_back(uint8_t(length >> 8));
        out.push_back(uint8_t(~length));
        out.push_back(uint8_t(~length >> 8));
        out.insert(out.end(), raw.begin() + std::ptrdiff_t(pos), raw.begin() + std::ptrdiff_t(pos + length));
        pos += length;
    } while (pos < raw.size());
    PutBe32(out, Adler32(raw.data(), raw.size()));
    return out;
}

}  // namespace

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

uint32_t Adler32(const uint8_t* data, size_t size) {
    constexpr uint32_t kModulus = 65521;
    uint32_t a = 1, b = 0;
    for (size_t i = 0; i < size; ++i) {
        a = (a + data[i]) % kModulus;
        b = (b + a) % kModulus;
    }
    return (b << 16) | a;
}

std::vector<uint8_t> EncodePng(uint32_t width, uint32_t height, const std::vector<uint8_t>& rgb) {
    if (width == 0 || height == 0 || rgb.size() != size_t(width) * height * 3)
        throw std::invalid_argument("EncodePng: pixel data does not match the size");
    std::vector<uint8_t> raw;
    raw.reserve((size_t(width) * 3 + 1) * height);
    for (uint32_t y = 0; y < height; ++y) {
        raw.push_back(0);  // filter: none
        auto row = rgb.begin() + std::ptrdiff_t(size_t(y) * width * 3);
        raw.insert(raw.end(), row, row + std::ptrdiff_t(width) * 3);
    }

    std::vector<uint8_t> png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    PutBe32(header, width);
    PutBe32(header, height);
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB, deflate, no filter choice, no interlace
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", StoredZlib(raw));
    PutChunk(png, "IEND", {});
    return png;
}

std::array<uint8_t, 3> CodeColour(uint8_t code) {
    if (code == 0) return {24, 24, 24};
    if (code == 1) return {200, 200, 200};  // the wall code of most tables: neutral, so the rest stand out
    // Hue steps by the golden angle so neighbouring codes look different.
    double hue = double(code) * 0.6180339887498949;
    hue -= double(int(hue));
    // Codes whose hues come close still differ in brightness or saturation.
    double saturation = code % 2 ? 0.8 : 0.55;
    static constexpr double kValues[3] = {0.95, 0.65, 0.8};
    double value = kValues[code % 3];
    double h6 = hue * 6.0;
    int sector = int(h6) % 6;
    double f = h6 - double(int(h6));
    double p = value * (1 - saturation), q = value * (1 - saturation * f), t = value * (1 - saturation * (1 - f));
    double r = 0, g = 0, b = 0;
    switch (sector) {
        case 0: r = value, g = t, b = p; break;
        case 1: r = q, g = value, b = p; break;
        case 2: r = p, g = value, b = t; break;
        case 3: r = p, g = q, b = value; break;
        case 4: r = t, g = p, b = value; break;
        default: r = value, g = p, b = q; break;
    }
    auto byte = [](double v) { return uint8_t(std::clamp(v * 255.0 + 0.5, 0.0, 255.0)); };
    return {byte(r), byte(g), byte(b)};
}

std::vector<uint8_t> RenderMapPng(const MapGrid& grid, int cellPixels) {
    if (cellPixels < 1 || cellPixels > 64) throw std::invalid_argument("RenderMapPng: bad cell size");
    uint32_t side = uint32_t(kGridSize * cellPixels);
    std::vector<uint8_t> rgb(size_t(side) * side * 3);
    for (uint32_t py = 0; py < side; ++py) {
        for (uint32_t px = 0; px < side; ++px) {
            auto colour = CodeColour(grid.Code(int(px) / cellPixels, int(py) / cellPixels));
            std::copy(colour.begin(), colour.end(), rgb.begin() + std::ptrdiff_t((size_t(py) * side + px) * 3));
        }
    }
    return EncodePng(side, side, rgb);
}

}  // namespace tamblor::maptools
