#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace syslite {

// An icon's pixels, row by row from the top, each 0xAARRGGBB.
struct IconImage {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> argb;
};

// The largest image of an icon file (".ico") that is a plain bitmap: 32 bits with alpha, 24 bits,
// or 8, 4 or 1 bits with a palette, each with its transparency mask. Nothing when the file holds
// no such image or is damaged; every size and offset is checked against the file.
std::optional<IconImage> decodeIcon(const std::string& bytes);

// The icon of a file ("\" read as "/"); the plain icon, with a log line, when the file is
// missing, too large or holds no image that can be read.
IconImage loadIconFile(const std::string& path);

// A plain round icon, for a file that is missing or cannot be read.
IconImage fallbackIcon(int size);

// The image scaled (nearest pixel) to width x height.
IconImage scaleIcon(const IconImage& image, int width, int height);

}  // namespace syslite
