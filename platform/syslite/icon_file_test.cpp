// Icon files as the tray shows them: each bitmap kind, its transparency, and damaged files.
#include "platform/syslite/icon_file.h"

#include <gtest/gtest.h>

#include "platform/syslite/icon_file_fixture.h"

namespace syslite {
namespace {

using testing::iconFile;

uint32_t at(const IconImage& image, int x, int y) {
    return image.argb[static_cast<size_t>(y) * image.width + x];
}

TEST(IconFile, DecodesEachBitmapKindTopRowFirst) {
    // 32 bits: the alpha channel is the transparency.
    auto image = decodeIcon(iconFile(
        16, 16, 32, {}, [](int, int y) { return y == 0 ? 0xFFFF0000u : 0x8000FF00u; },
        [](int, int) { return false; }));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 16);
    EXPECT_EQ(at(*image, 3, 0), 0xFFFF0000u);
    EXPECT_EQ(at(*image, 3, 15), 0x8000FF00u);
    // 24 bits: the mask is the transparency.
    image = decodeIcon(iconFile(
        5, 3, 24, {}, [](int x, int) { return x == 4 ? 0x0000FFu : 0x123456u; },
        [](int x, int) { return x == 0; }));
    ASSERT_TRUE(image);
    EXPECT_EQ(at(*image, 0, 1), 0u);
    EXPECT_EQ(at(*image, 2, 1), 0xFF123456u);
    EXPECT_EQ(at(*image, 4, 2), 0xFF0000FFu);
    // 4 bits with a palette, odd width.
    image = decodeIcon(iconFile(
        7, 2, 4, {0x000000, 0xFFFFFF, 0x00FF00}, [](int x, int) { return x % 3u; },
        [](int, int y) { return y == 1; }));
    ASSERT_TRUE(image);
    EXPECT_EQ(at(*image, 1, 0), 0xFFFFFFFFu);
    EXPECT_EQ(at(*image, 5, 0), 0xFF00FF00u);
    EXPECT_EQ(at(*image, 5, 1), 0u);
}

TEST(IconFile, DamagedFilesGiveNothing) {
    std::string good = iconFile(
        8, 8, 32, {}, [](int, int) { return 0xFF000000u; }, [](int, int) { return false; });
    ASSERT_TRUE(decodeIcon(good));
    EXPECT_FALSE(decodeIcon(""));
    EXPECT_FALSE(decodeIcon(good.substr(0, good.size() - 100)));  // pixels cut off
    std::string hugeOffset = good;
    hugeOffset[18] = '\x7F';
    EXPECT_FALSE(decodeIcon(hugeOffset));
    std::string tooWide = good;
    tooWide[22 + 5] = '\x10';  // 4104 pixels wide
    EXPECT_FALSE(decodeIcon(tooWide));
    std::string png = good;
    png.replace(22, 8, "\x89PNG\r\n\x1a\n");
    EXPECT_FALSE(decodeIcon(png));
    EXPECT_EQ(loadIconFile("/nonexistent/Lobby.ico").width, 32);  // the plain icon
}

TEST(IconFile, ScalesToTheTraysSize) {
    IconImage two{2, 1, {0xFF000001u, 0xFF000002u}};
    IconImage big = scaleIcon(two, 4, 2);
    EXPECT_EQ(at(big, 1, 1), 0xFF000001u);
    EXPECT_EQ(at(big, 2, 0), 0xFF000002u);
}

}  // namespace
}  // namespace syslite
