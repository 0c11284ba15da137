#include "platform/syslite/icon_file.h"

#include <fstream>
#include <sstream>

#include "platform/shared/platform_log.h"

namespace syslite {
namespace {

constexpr size_t kEntrySize = 16;
constexpr size_t kInfoSize = 40;
constexpr int kMaxSide = 256;

uint32_t read32(const std::string& b, size_t at) {
    return static_cast<uint32_t>(static_cast<unsigned char>(b[at])) |
           static_cast<uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
           static_cast<uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
           static_cast<uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}

uint16_t read16(const std::string& b, size_t at) {
    return static_cast<uint16_t>(static_cast<unsigned char>(b[at]) |
                                 static_cast<unsigned char>(b[at + 1]) << 8);
}

// One image at [offset, offset + size) of the file.
std::optional<IconImage> decodeBitmap(const std::string& file, size_t offset, size_t size) {
    if (offset > file.size() || size > file.size() - offset || size < kInfoSize) return {};
    std::string b = file.substr(offset, size);
    if (read32(b, 0) < kInfoSize || read32(b, 0) > b.size()) return {};
    int32_t width = static_cast<int32_t>(read32(b, 4));
    int32_t doubled = static_cast<int32_t>(read32(b, 8));
    int bits = read16(b, 14);
    if (width <= 0 || width > kMaxSide || doubled <= 0 || doubled > 2 * kMaxSide ||
        doubled % 2 != 0 || read32(b, 16) != 0) {
        return {};
    }
    int height = doubled / 2;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return {};
    size_t at = read32(b, 0);
    std::vector<uint32_t> palette;
    if (bits <= 8) {
        size_t colours = read32(b, 32);
        if (colours == 0 || colours > (1u << bits)) colours = 1u << bits;
        if (colours * 4 > b.size() - at) return {};
        for (size_t i = 0; i < colours; ++i) palette.push_back(read32(b, at + 4 * i) & 0xFFFFFF);
        at += colours * 4;
    }
    size_t rowBytes = ((static_cast<size_t>(width) * bits + 31) / 32) * 4;
    size_t maskRow = ((static_cast<size_t>(width) + 31) / 32) * 4;
    size_t pixelsEnd = at + rowBytes * height;
    if (pixelsEnd > b.size()) return {};
    // Some 32-bit images leave the mask out and carry their transparency in the alpha alone.
    bool hasMask = pixelsEnd + maskRow * height <= b.size();
    IconImage image{width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height)};
    bool anyAlpha = false;
    for (int y = 0; y < height; ++y) {
        size_t row = at + rowBytes * (height - 1 - y);
        for (int x = 0; x < width; ++x) {
            uint32_t pixel = 0;
            if (bits == 32) {
                pixel = read32(b, row + 4 * x);
                anyAlpha = anyAlpha || (pixel >> 24) != 0;
            } else if (bits == 24) {
                size_t p = row + 3 * x;
                pixel = 0xFF000000u | static_cast<unsigned char>(b[p]) |
                        static_cast<unsigned char>(b[p + 1]) << 8 |
                        static_cast<unsigned char>(b[p + 2]) << 16;
            } else {
                size_t bit = static_cast<size_t>(x) * bits;
                unsigned byte = static_cast<unsigned char>(b[row + bit / 8]);
                unsigned index = (byte >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
                pixel = index < palette.size() ? 0xFF000000u | palette[index] : 0;
            }
            image.argb[static_cast<size_t>(y) * width + x] = pixel;
        }
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint32_t& pixel = image.argb[static_cast<size_t>(y) * width + x];
            if (bits == 32 && anyAlpha) continue;
            if (bits == 32) pixel |= 0xFF000000u;
            if (!hasMask) continue;
            unsigned byte = static_cast<unsigned char>(
                b[pixelsEnd + maskRow * (height - 1 - y) + static_cast<size_t>(x) / 8]);
            if (byte & (0x80u >> (x % 8))) pixel = 0;
        }
    }
    return image;
}

}  // namespace

std::optional<IconImage> decodeIcon(const std::string& file) {
    if (file.size() < 6 || read16(file, 0) != 0 || read16(file, 2) != 1) return {};
    size_t count = read16(file, 4);
    if (count == 0 || 6 + count * kEntrySize > file.size()) return {};
    std::optional<IconImage> best;
    for (size_t i = 0; i < count; ++i) {
        size_t entry = 6 + i * kEntrySize;
        std::optional<IconImage> image =
            decodeBitmap(file, read32(file, entry + 12), read32(file, entry + 8));
        if (image && (!best || image->width * image->height > best->width * best->height)) {
            best = std::move(image);
        }
    }
    return best;
}

IconImage loadIconFile(const std::string& given) {
    std::string path = given;
    for (char& c : path) c = c == '\\' ? '/' : c;
    std::ifstream in(path, std::ios::binary);
    std::string bytes;
    if (in) {
        // Icon files are small; a larger one is not read whole.
        bytes.resize(1u << 20);
        in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        bytes.resize(static_cast<size_t>(in.gcount()));
    }
    if (std::optional<IconImage> image = decodeIcon(bytes)) return *image;
    platform::log("syslite",
                  "icon file " + platform::quoted(path) +
                      (in ? " holds no icon image that can be read" : " cannot be read") +
                      "; a plain icon is shown");
    return fallbackIcon(32);
}

IconImage fallbackIcon(int size) {
    IconImage image{size, size, std::vector<uint32_t>(static_cast<size_t>(size) * size)};
    double r = size / 2.0;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            double dx = x + 0.5 - r, dy = y + 0.5 - r;
            bool inside = dx * dx + dy * dy <= (r - 1) * (r - 1);
            image.argb[static_cast<size_t>(y) * size + x] = inside ? 0xFF2E7DD7u : 0;
        }
    }
    return image;
}

IconImage scaleIcon(const IconImage& image, int width, int height) {
    IconImage out{width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height)};
    if (image.width <= 0 || image.height <= 0) return out;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            int sx = x * image.width / width;
            int sy = y * image.height / height;
            out.argb[static_cast<size_t>(y) * width + x] =
                image.argb[static_cast<size_t>(sy) * image.width + sx];
        }
    }
    return out;
}

}  // namespace syslite
