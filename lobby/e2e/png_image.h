// Reads the PNG screenshots a run saves, enough to tell a page with content from a blank one:
// 8-bit RGB or RGBA, not interlaced (what Chromium writes).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

struct PngImage {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // 0xRRGGBB, row by row; alpha dropped
};

// Decodes a PNG file's bytes; throws std::runtime_error saying what is wrong with them.
PngImage decodePng(const std::string& bytes);

// An 8-bit RGB PNG of the image (no filters), for screenshots a test takes itself.
std::string encodePng(const PngImage& image);

// How many different colours the image holds.
size_t distinctColours(const PngImage& image);
// The share (0..1) of the pixels taken by the most common colour.
double largestColourShare(const PngImage& image);

}  // namespace e2e
