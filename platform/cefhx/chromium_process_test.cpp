#include "platform/cefhx/chromium_process.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace cefhx {
namespace {

bool has(const std::vector<std::string>& args, const std::string& arg) {
    return std::find(args.begin(), args.end(), arg) != args.end();
}

TEST(ChromiumArguments, NoWindowOrStartPageExistsBeforeTheProgramOpensOne) {
    ChromiumOptions o;
    o.profileDir = "/tmp/profile";
    for (bool headless : {false, true}) {
        o.headless = headless;
        std::vector<std::string> args = chromiumArguments(o);
        EXPECT_TRUE(has(args, "--no-startup-window")) << headless;
        EXPECT_FALSE(has(args, "about:blank")) << headless;
        EXPECT_EQ(has(args, "--headless=new"), headless);
    }
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
