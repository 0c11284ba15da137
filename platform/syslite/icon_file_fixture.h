// Builds icon files for the tests: one bitmap image of the given bits per pixel.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace syslite::testing {

inline void put32(std::string& s, uint32_t v) {
    for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
}
inline void put16(std::string& s, uint16_t v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>(v >> 8);
}

// `pixel(x, y)` gives 0xAARRGGBB for 32 and 24 bits, the palette index below; `masked(x, y)`
// marks transparent pixels in the mask. Rows are written from the bottom, as icon files keep them.
template <class Pixel, class Masked>
std::string iconFile(int w, int h, int bits, const std::vector<uint32_t>& palette, Pixel pixel,
                     Masked masked) {
    std::string image;
    put32(image, 40);
    put32(image, static_cast<uint32_t>(w));
    put32(image, static_cast<uint32_t>(2 * h));
    put16(image, 1);
    put16(image, static_cast<uint16_t>(bits));
    put32(image, 0);
    for (int i = 0; i < 3; ++i) put32(image, 0);
    put32(image, static_cast<uint32_t>(palette.size()));
    put32(image, 0);
    for (uint32_t c : palette) put32(image, c);
    size_t rowBytes = ((static_cast<size_t>(w) * bits + 31) / 32) * 4;
    for (int y = h - 1; y >= 0; --y) {
        std::string row(rowBytes, '\0');
        for (int x = 0; x < w; ++x) {
            uint32_t p = pixel(x, y);
            if (bits == 32) {
                for (int i = 0; i < 4; ++i) row[4 * x + i] = static_cast<char>(p >> (8 * i));
            } else if (bits == 24) {
                for (int i = 0; i < 3; ++i) row[3 * x + i] = static_cast<char>(p >> (8 * i));
            } else {
                size_t bit = static_cast<size_t>(x) * bits;
                row[bit / 8] = static_cast<char>(row[bit / 8] | (p << (8 - bits - bit % 8)));
            }
        }
        image += row;
    }
    size_t maskRow = ((static_cast<size_t>(w) + 31) / 32) * 4;
    for (int y = h - 1; y >= 0; --y) {
        std::string row(maskRow, '\0');
        for (int x = 0; x < w; ++x) {
            if (masked(x, y)) row[x / 8] = static_cast<char>(row[x / 8] | (0x80 >> (x % 8)));
        }
        image += row;
    }
    std::string file;
    put16(file, 0);
    put16(file, 1);
    put16(file, 1);
    file += static_cast<char>(w == 256 ? 0 : w);
    file += static_cast<char>(h == 256 ? 0 : h);
    file += '\0';
    file += '\0';
    put16(file, 1);
    put16(file, static_cast<uint16_t>(bits));
    put32(file, static_cast<uint32_t>(image.size()));
    put32(file, 22);
    return file + image;
}

}  // namespace syslite::testing
