#include "platform/cefhx/chromium_process.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace cefhx {
namespace {

bool has(const std::vector<std::string>& args, const std::string& arg) {
    return std::find(args.begin(), args.end(), arg) != args.end();
}

TEST(ChromiumArguments, HeadedStartsWithoutAnyWindowAndHeadlessOnABlankPage) {
    ChromiumOptions o;
    o.profileDir = "/tmp/profile";
    o.headless = false;
    std::vector<std::string> headed = chromiumArguments(o);
    EXPECT_TRUE(has(headed, "--no-startup-window"));
    EXPECT_FALSE(has(headed, "about:blank"));
    EXPECT_FALSE(has(headed, "--headless=new"));
    o.headless = true;
    std::vector<std::string> headless = chromiumArguments(o);
    EXPECT_FALSE(has(headless, "--no-startup-window"));
    EXPECT_EQ(headless.back(), "about:blank");
}

TEST(ChromiumArguments, AnApplicationWindowGoesToTheSameProfileAsOneArgument) {
    ChromiumOptions o;
    o.profileDir = "/tmp/my profile";
    // A page address with blanks and shell characters stays one argument, never split or
    // read as a switch of its own.
    std::vector<std::string> args = appWindowArguments(o, "about:blank#a b;--x");
    EXPECT_EQ(args.front(), o.binary);
    EXPECT_TRUE(has(args, "--user-data-dir=/tmp/my profile"));
    EXPECT_EQ(args.back(), "--app=about:blank#a b;--x");
    EXPECT_FALSE(has(args, "--remote-debugging-pipe"));
}

}  // namespace
}  // namespace cefhx
