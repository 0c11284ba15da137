#include "runtime/utf16.h"

#include <gtest/gtest.h>

namespace rt {
namespace {

TEST(Utf16Test, ConvertsValidTextOfEveryLength) {
    EXPECT_EQ(utf8ToUtf16("abc"), u"abc");
    EXPECT_EQ(utf8ToUtf16("\xC3\xA9"), u"\u00E9");
    EXPECT_EQ(utf8ToUtf16("\xE8\xB7\xB3\xE8\xBF\x87"), u"\u8DF3\u8FC7");
    EXPECT_EQ(utf8ToUtf16("\xF0\x9F\x82\xA1"), u"\U0001F0A1");
    EXPECT_EQ(utf8ToUtf16(std::string("a\0b", 3)), std::u16string(u"a\0b", 3));
}

TEST(Utf16Test, InvalidSequencesBecomeReplacementCharacters) {
    // A stray continuation byte and a byte that never starts a sequence.
    EXPECT_EQ(utf8ToUtf16("a\x80"
                          "b\xFF"),
              u"a\uFFFDb\uFFFD");
    // A truncated three-byte sequence is one replacement, and the next character survives.
    EXPECT_EQ(utf8ToUtf16("\xE8\xB7"
                          "x"),
              u"\uFFFDx");
    EXPECT_EQ(utf8ToUtf16("\xE8\xB7"), u"\uFFFD");
    // Overlong forms, an encoded surrogate and a code point above U+10FFFF.
    EXPECT_EQ(utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");
    EXPECT_EQ(utf8ToUtf16("\xE0\x80\xAF"), u"\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(utf8ToUtf16("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");
}

}  // namespace
}  // namespace rt
