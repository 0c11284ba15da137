#include "lobby/e2e/png_image.h"

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <unordered_map>

namespace e2e {
namespace {

constexpr unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};

uint32_t bigEndian(const std::string& bytes, size_t at) {
    auto b = [&](size_t i) { return static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])); };
    return b(at) << 24 | b(at + 1) << 16 | b(at + 2) << 8 | b(at + 3);
}

std::string inflateAll(const std::string& compressed, size_t expected) {
    std::string out(expected, '\0');
    uLongf size = static_cast<uLongf>(expected);
    int rc = uncompress(reinterpret_cast<Bytef*>(out.data()), &size,
                        reinterpret_cast<const Bytef*>(compressed.data()),
                        static_cast<uLong>(compressed.size()));
    if (rc != Z_OK || size != expected) {
        throw std::runtime_error("PNG image data does not inflate to " + std::to_string(expected) +
                                 " bytes (zlib " + std::to_string(rc) + ")");
    }
    return out;
}

int paeth(int a, int b, int c) {
    int p = a + b - c;
    int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return a;
    return pb <= pc ? b : c;
}

// Undoes each row's filter in place; rows are 1 filter byte + stride bytes.
void unfilter(std::string& data, int height, size_t stride, size_t bpp) {
    std::vector<unsigned char> previous(stride, 0);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<unsigned char*>(data.data()) + y * (stride + 1);
        const int filter = row[0];
        unsigned char* px = row + 1;
        for (size_t i = 0; i < stride; ++i) {
            const int a = i >= bpp ? px[i - bpp] : 0;
            const int b = previous[i];
            const int c = i >= bpp ? previous[i - bpp] : 0;
            int add = 0;
            switch (filter) {
                case 0:
                    break;
                case 1:
                    add = a;
                    break;
                case 2:
                    add = b;
                    break;
                case 3:
                    add = (a + b) / 2;
                    break;
                case 4:
                    add = paeth(a, b, c);
                    break;
                default:
                    throw std::runtime_error("PNG row " + std::to_string(y) +
                                             " has unknown filter " + std::to_string(filter));
            }
            px[i] = static_cast<unsigned char>(px[i] + add);
        }
        std::copy(px, px + stride, previous.begin());
    }
}

}  // namespace

PngImage decodePng(const std::string& bytes) {
    if (bytes.size() < 8 ||
        !std::equal(kSignature, kSignature + 8, bytes.begin(),
                    [](unsigned char s, char b) { return s == static_cast<unsigned char>(b); })) {
        throw std::runtime_error("not a PNG file (" + std::to_string(bytes.size()) + " bytes)");
    }
    PngImage image;
    size_t bpp = 0;
    std::string compressed;
    for (size_t at = 8; at + 8 <= bytes.size();) {
        const uint32_t length = bigEndian(bytes, at);
        const std::string type = bytes.substr(at + 4, 4);
        if (at + 12 + length > bytes.size())
            throw std::runtime_error("PNG chunk " + type + " cut short");
        const size_t data = at + 8;
        if (type == "IHDR") {
            image.width = static_cast<int>(bigEndian(bytes, data));
            image.height = static_cast<int>(bigEndian(bytes, data + 4));
            const int depth = static_cast<unsigned char>(bytes[data + 8]);
            const int colour = static_cast<unsigned char>(bytes[data + 9]);
            const int interlace = static_cast<unsigned char>(bytes[data + 12]);
            if (depth != 8 || (colour != 2 && colour != 6) || interlace != 0) {
                throw std::runtime_error("PNG form not read here: depth " + std::to_string(depth) +
                                         ", colour type " + std::to_string(colour) +
                                         ", interlace " + std::to_string(interlace));
            }
            bpp = colour == 6 ? 4 : 3;
        } else if (type == "IDAT") {
            compressed.append(bytes, data, length);
        } else if (type == "IEND") {
            break;
        }
        at = data + length + 4;
    }
    if (bpp == 0 || image.width <= 0 || image.height <= 0) {
        throw std::runtime_error("PNG file without a usable header");
    }
    const size_t stride = static_cast<size_t>(image.width) * bpp;
    std::string raw = inflateAll(compressed, (stride + 1) * image.height);
    unfilter(raw, image.height, stride, bpp);
    image.pixels.reserve(static_cast<size_t>(image.width) * image.height);
    for (int y = 0; y < image.height; ++y) {
        const auto* px = reinterpret_cast<const unsigned char*>(raw.data()) + y * (stride + 1) + 1;
        for (int x = 0; x < image.width; ++x, px += bpp) {
            image.pixels.push_back(static_cast<uint32_t>(px[0]) << 16 |
                                   static_cast<uint32_t>(px[1]) << 8 | px[2]);
        }
    }
    return image;
}

namespace {

void putBigEndian(std::string& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>(v >> shift & 0xff);
}

void putChunk(std::string& out, const char* type, const std::string& data) {
    putBigEndian(out, static_cast<uint32_t>(data.size()));
    std::string body = std::string(type, 4) + data;
    out += body;
    putBigEndian(out, static_cast<uint32_t>(
                          crc32(0, reinterpret_cast<const Bytef*>(body.data()), body.size())));
}

}  // namespace

std::string encodePng(const PngImage& image) {
    std::string raw;
    raw.reserve(static_cast<size_t>(image.height) * (1 + 3 * image.width));
    for (int y = 0; y < image.height; ++y) {
        raw += '\0';
        for (int x = 0; x < image.width; ++x) {
            uint32_t p = image.pixels[static_cast<size_t>(y) * image.width + x];
            raw += static_cast<char>(p >> 16 & 0xff);
            raw += static_cast<char>(p >> 8 & 0xff);
            raw += static_cast<char>(p & 0xff);
        }
    }
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::string packed(size, '\0');
    if (compress(reinterpret_cast<Bytef*>(packed.data()), &size,
                 reinterpret_cast<const Bytef*>(raw.data()),
                 static_cast<uLong>(raw.size())) != Z_OK) {
        throw std::runtime_error("cannot compress a " + std::to_string(image.width) + "x" +
                                 std::to_string(image.height) + " image");
    }
    packed.resize(size);
    std::string out(reinterpret_cast<const char*>(kSignature), sizeof kSignature);
    std::string header;
    putBigEndian(header, static_cast<uint32_t>(image.width));
    putBigEndian(header, static_cast<uint32_t>(image.height));
    header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, no filter, plain
    putChunk(out, "IHDR", header);
    putChunk(out, "IDAT", packed);
    putChunk(out, "IEND", "");
    return out;
}

size_t distinctColours(const PngImage& image) {
    std::vector<uint32_t> sorted = image.pixels;
    std::sort(sorted.begin(), sorted.end());
    return static_cast<size_t>(std::unique(sorted.begin(), sorted.end()) - sorted.begin());
}

double largestColourShare(const PngImage& image) {
    if (image.pixels.empty()) return 0;
    std::unordered_map<uint32_t, size_t> counts;
    size_t largest = 0;
    for (uint32_t p : image.pixels) largest = std::max(largest, ++counts[p]);
    return static_cast<double>(largest) / static_cast<double>(image.pixels.size());
}

}  // namespace e2e
