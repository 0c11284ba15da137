#include "platform/shared/text_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace morvick {
namespace {

std::vector<std::string> allLines(std::string_view text, char separator = '\n') {
    std::vector<std::string> lines;
    while (!text.empty()) lines.emplace_back(takeLine(text, separator));
    return lines;
}

TEST(TextLines, LinesLoseTheirSeparatorAndAFinalSeparatorEndsTheText) {
    EXPECT_EQ(allLines("a\n\nb\r\n"), (std::vector<std::string>{"a", "", "b\r"}));
    EXPECT_EQ(allLines("last line without separator"),
              (std::vector<std::string>{"last line without separator"}));
    EXPECT_EQ(allLines("x;y", ';'), (std::vector<std::string>{"x", "y"}));
    EXPECT_TRUE(allLines("").empty());
    std::string_view one = "\n";
    EXPECT_EQ(takeLine(one), "");
    EXPECT_TRUE(one.empty());
}

}  // namespace
}  // namespace morvick
