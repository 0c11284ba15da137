#include "runtime/regex.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace rt {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

TEST(RegexTest, CaseIsIgnoredOnlyWithTheOption) {
    EXPECT_TRUE(Regex("html|body", "i").match("<HTML><BODY>404</BODY>"));
    EXPECT_FALSE(Regex("html|body", "").match("<HTML><BODY>404</BODY>"));
}

TEST(RegexTest, GroupsPositionAndMissingGroups) {
    Regex regex("(\\d+)\\.(\\d+)(\\.(\\d+))?", "");
    ASSERT_TRUE(regex.match("version 1.20 now"));
    EXPECT_EQ(regex.matched(0), "1.20");
    EXPECT_EQ(regex.matched(1), "1");
    EXPECT_EQ(regex.matched(2), "20");
    EXPECT_FALSE(regex.matched(4).has_value());
    EXPECT_EQ(regex.matchedPosition(), 8u);
    EXPECT_EQ(regex.matchedLength(), 4u);
    EXPECT_THROW(regex.matched(5), RegexError);

    EXPECT_FALSE(regex.match("no digits"));
    EXPECT_THROW(regex.matched(0), RegexError);
}

TEST(RegexTest, ReplaceActsOnTheFirstMatchOrEveryMatchWithG) {
    EXPECT_EQ(Regex("\\.", "").replace("1.0.3", "_"), "1_0.3");
    EXPECT_EQ(Regex("\\.", "g").replace("1.0.3", "_"), "1_0_3");
    EXPECT_EQ(Regex("(\\w+)@(\\w+)", "g").replace("a@b c@d", "$2@$1"), "b@a d@c");
    EXPECT_EQ(Regex("X", "gi").replace("axbX", "$$"), "a$b$");
}

TEST(RegexTest, SplitAtTheFirstMatchOrEveryMatchWithG) {
    EXPECT_THAT(Regex("\\s*,\\s*", "g").split("a , b,,c"), ElementsAre("a", "b", "", "c"));
    EXPECT_THAT(Regex(",", "").split("a,b,c"), ElementsAre("a", "b,c"));
    EXPECT_THAT(Regex(",", "g").split("none"), ElementsAre("none"));
    EXPECT_THAT(Regex("", "g").split("abc"), ElementsAre("a", "b", "c"));
}

TEST(RegexTest, BadPatternsAndOptionsAreNamed) {
    try {
        Regex("(unclosed", "");
        FAIL() << "a broken pattern compiled";
    } catch (const RegexError& error) {
        EXPECT_THAT(error.what(), HasSubstr("(unclosed"));
    }
    EXPECT_THROW(Regex("a", "q"), RegexError);
}

}  // namespace
}  // namespace rt
