#include "plugins/core/command_line.h"

#include "plugins/core/utf16.h"

#include <gtest/gtest.h>

namespace plug {
namespace {

TEST(CommandLine, FormatsRoomTypeAndSignedWindowHandle) {
    EXPECT_EQ(Utf16ToUtf8(*FormatCommandLine(u"game.exe", 3, 123456789012LL)),
              "game.exe /RoomType:3 /Transmittal:123456789012");
    EXPECT_EQ(Utf16ToUtf8(*FormatCommandLine(u"game.exe", std::nullopt, -42)),
              "game.exe /Transmittal:-42");
    EXPECT_EQ(Utf16ToUtf8(*FormatCommandLine(u"g", -7, INT64_MIN)),
              "g /RoomType:-7 /Transmittal:-9223372036854775808");
}

TEST(CommandLine, LimitCountsUtf16Units) {
    const std::u16string tail = u" /Transmittal:1";
    const std::u16string path(kMaxCommandLine - tail.size(), u'\u4e2d');
    const auto line = FormatCommandLine(path, std::nullopt, 1);
    ASSERT_TRUE(line);
    EXPECT_EQ(line->size(), kMaxCommandLine);
    EXPECT_FALSE(FormatCommandLine(path + u"x", std::nullopt, 1));
}

TEST(Utf16, RoundTripsAndReplacesMalformedInput) {
    const std::string text = "a\xc3\xa9\xe4\xb8\xad\xf0\x9f\x98\x80";
    const std::u16string wide = Utf8ToUtf16(text);
    EXPECT_EQ(wide, u"a\u00e9\u4e2d\U0001F600");
    EXPECT_EQ(Utf16ToUtf8(wide), text);
    EXPECT_EQ(Utf8ToUtf16("\xc3"), u"\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("\xc0\x80"), u"\uFFFD") << "overlong NUL";
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t{0xD800})), "\xef\xbf\xbd");
}

}  // namespace
}  // namespace plug
