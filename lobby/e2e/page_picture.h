// The check the end-to-end tests make of a window's screenshot: it shows a page, with many
// colours and none taking nearly all of it.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "lobby/e2e/png_image.h"

namespace e2e {

inline void expectPagePicture(const std::string& pngBytes) {
    const PngImage image = decodePng(pngBytes);
    EXPECT_GE(image.width, 300);
    EXPECT_GE(image.height, 200);
    EXPECT_GE(distinctColours(image), 16u);
    EXPECT_LT(largestColourShare(image), 0.97);
}

}  // namespace e2e
