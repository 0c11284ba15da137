#include "platform/cefhx/utf8.h"

#include <gtest/gtest.h>

namespace cefhx {
namespace {

TEST(Utf8, ValidTextIsKeptByteForByte) {
    const std::string text = "plain, \xC3\xA9t\xC3\xA9, \xE5\xA4\xA7\xE5\x8E\x85, \xF0\x9F\x8E\xB2";
    EXPECT_EQ(validUtf8(text), text);
}

TEST(Utf8, BrokenSequencesBecomeReplacementCharacters) {
    // A stray continuation byte, a lead byte cut short at the end, and a lead followed by ASCII.
    EXPECT_EQ(validUtf8("a\x80z"), "a\xEF\xBF\xBDz");
    EXPECT_EQ(validUtf8("ab\xE5\xA4"), "ab\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(validUtf8("\xC3(x"), "\xEF\xBF\xBD(x");
}

TEST(Utf8, OverlongSurrogateAndOutOfRangeFormsAreRefused) {
    EXPECT_EQ(validUtf8("\xC0\xAF"), "\xEF\xBF\xBD\xEF\xBF\xBD");                  // overlong "/"
    EXPECT_EQ(validUtf8("\xED\xA0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");  // U+D800
    EXPECT_EQ(validUtf8("\xF4\x90\x80\x80").size(), 4 * 3u);                       // above U+10FFFF
    EXPECT_EQ(validUtf8("\xFF"), "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace cefhx
