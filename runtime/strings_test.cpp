#include "runtime/strings.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace rt {
namespace {

using ::testing::ElementsAre;

TEST(StringsTest, SplitKeepsEveryEmptyPart) {
    EXPECT_THAT(split("a,,b,", ","), ElementsAre("a", "", "b", ""));
    EXPECT_THAT(split(",a", ","), ElementsAre("", "a"));
    EXPECT_THAT(split("", ","), ElementsAre(""));
    EXPECT_THAT(split("s1|s2||s3", "|"), ElementsAre("s1", "s2", "", "s3"));
    EXPECT_THAT(split("x::y", "::"), ElementsAre("x", "y"));
    EXPECT_THAT(split("ab", ""), ElementsAre("a", "b"));
}

TEST(StringsTest, JoinIsTheInverseOfSplit) {
    for (const char* text : {"a,,b,", ",a", "", "game1,game2"}) {
        EXPECT_EQ(join(split(text, ","), ","), text);
    }
}

TEST(StringsTest, ReplaceAllDoesNotRescanReplacedText) {
    EXPECT_EQ(replaceAll("{domain}/pay/{domain}", "{domain}", "www"), "www/pay/www");
    EXPECT_EQ(replaceAll("aaa", "a", "aa"), "aaaaaa");
    EXPECT_EQ(replaceAll("1.0.3", ".", "_"), "1_0_3");
    EXPECT_EQ(replaceAll("abc", "", "x"), "abc");
    EXPECT_EQ(replaceAll("\\dir\\file.txt", "\\", "/"), "/dir/file.txt");
}

TEST(StringsTest, TrimRemovesWhitespaceAtBothEndsOnly) {
    EXPECT_EQ(trim(" \t1.0.3\r\n"), "1.0.3");
    EXPECT_EQ(trim("a b"), "a b");
    EXPECT_EQ(trim(" \n "), "");
    EXPECT_EQ(trim("\xE4\xB8\xAD "), "\xE4\xB8\xAD");
}

TEST(StringsTest, PrefixesSuffixesAndLowerCase) {
    EXPECT_TRUE(startsWith("Failed to connect on 127.0.0.1:80", "Failed to connect on"));
    EXPECT_FALSE(startsWith("Http", "Http Error #"));
    EXPECT_TRUE(endsWith("game.v", ".v"));
    EXPECT_FALSE(endsWith("v", ".v"));
    EXPECT_EQ(toLower("Lobby.HTML"), "lobby.html");
    EXPECT_EQ(toLower("\xC3\x89T\xC3\x89"), "\xC3\x89t\xC3\x89");
}

}  // namespace
}  // namespace rt
