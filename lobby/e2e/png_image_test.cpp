#include "lobby/e2e/png_image.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <stdexcept>

namespace e2e {
namespace {

void putBigEndian(std::string& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>(v >> shift));
}

void chunk(std::string& out, const std::string& type, const std::string& data) {
    putBigEndian(out, static_cast<uint32_t>(data.size()));
    std::string body = type + data;
    out += body;
    putBigEndian(out, static_cast<uint32_t>(
                          crc32(0, reinterpret_cast<const Bytef*>(body.data()), body.size())));
}

int predictor(int filter, int a, int b, int c) {
    switch (filter) {
        case 1:
            return a;
        case 2:
            return b;
        case 3:
            return (a + b) / 2;
        case 4: {
            int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
            return pa <= pb && pa <= pc ? a : (pb <= pc ? b : c);
        }
        default:
            return 0;
    }
}

// Encodes pixels (0xRRGGBB) with row y filtered by filter type y % 5, as an encoder may choose.
std::string encode(int width, int height, const std::vector<uint32_t>& pixels, bool alpha) {
    const size_t bpp = alpha ? 4 : 3, stride = width * bpp;
    std::vector<unsigned char> rows(stride * height);
    for (int i = 0; i < width * height; ++i) {
        unsigned char* px = &rows[i * bpp];
        px[0] = pixels[i] >> 16, px[1] = pixels[i] >> 8, px[2] = pixels[i];
        if (alpha) px[3] = 255;
    }
    std::string raw;
    for (int y = 0; y < height; ++y) {
        const int filter = y % 5;
        raw.push_back(static_cast<char>(filter));
        for (size_t i = 0; i < stride; ++i) {
            const int a = i >= bpp ? rows[y * stride + i - bpp] : 0;
            const int b = y > 0 ? rows[(y - 1) * stride + i] : 0;
            const int c = y > 0 && i >= bpp ? rows[(y - 1) * stride + i - bpp] : 0;
            raw.push_back(static_cast<char>(rows[y * stride + i] - predictor(filter, a, b, c)));
        }
    }
    std::string compressed(compressBound(raw.size()), '\0');
    uLongf size = compressed.size();
    compress(reinterpret_cast<Bytef*>(compressed.data()), &size,
             reinterpret_cast<const Bytef*>(raw.data()), raw.size());
    compressed.resize(size);

    std::string out("\x89PNG\r\n\x1a\n", 8);
    std::string header;
    putBigEndian(header, width);
    putBigEndian(header, height);
    header += std::string{8, static_cast<char>(alpha ? 6 : 2), 0, 0, 0};
    chunk(out, "IHDR", header);
    // Two image-data chunks: the decoder must join them.
    chunk(out, "IDAT", compressed.substr(0, compressed.size() / 2));
    chunk(out, "IDAT", compressed.substr(compressed.size() / 2));
    chunk(out, "IEND", "");
    return out;
}

std::vector<uint32_t> gradient(int width, int height) {
    std::vector<uint32_t> pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            pixels.push_back(static_cast<uint32_t>((x * 37) & 255) << 16 |
                             static_cast<uint32_t>((y * 59) & 255) << 8 | ((x * y) & 255));
        }
    }
    return pixels;
}

TEST(PngImageTest, DecodesEveryRowFilterInRgbAndRgba) {
    for (bool alpha : {false, true}) {
        const std::vector<uint32_t> pixels = gradient(7, 10);
        PngImage image = decodePng(encode(7, 10, pixels, alpha));
        EXPECT_EQ(image.width, 7);
        EXPECT_EQ(image.height, 10);
        EXPECT_EQ(image.pixels, pixels) << (alpha ? "RGBA" : "RGB");
    }
}

TEST(PngImageTest, CountsColoursAndTheLargestShare) {
    std::vector<uint32_t> pixels(100, 0xffffff);
    pixels[3] = 0x102030;
    pixels[4] = 0x102030;
    pixels[50] = 0;
    PngImage image = decodePng(encode(10, 10, pixels, false));
    EXPECT_EQ(distinctColours(image), 3u);
    EXPECT_DOUBLE_EQ(largestColourShare(image), 0.97);
}

TEST(PngImageTest, WhatItWritesReadsBackPixelForPixel) {
    PngImage image;
    image.width = 5;
    image.height = 3;
    for (uint32_t i = 0; i < 15; ++i) image.pixels.push_back(i * 0x10203u ^ 0xa05f00u);
    const PngImage back = decodePng(encodePng(image));
    EXPECT_EQ(back.width, 5);
    EXPECT_EQ(back.height, 3);
    EXPECT_EQ(back.pixels, image.pixels);
}

TEST(PngImageTest, RefusesWhatItCannotRead) {
    EXPECT_THROW(decodePng("GIF89a"), std::runtime_error);
    std::string png = encode(4, 4, gradient(4, 4), false);
    EXPECT_THROW(decodePng(png.substr(0, png.size() / 2)), std::runtime_error) << "cut short";
    std::string sixteenBit = png;
    sixteenBit[8 + 8 + 8] = 16;  // the header's bit depth
    EXPECT_THROW(decodePng(sixteenBit), std::runtime_error);
}

}  // namespace
}  // namespace e2e
