#include "platform/syslite/settings.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>

#include "runtime/test_folder.h"

namespace syslite {
namespace {

class AnswersTest : public ::testing::Test {
protected:
    void SetUp() override { ::setenv("SYSLITE_ANSWERS", path_.c_str(), 1); }
    void TearDown() override { ::unsetenv("SYSLITE_ANSWERS"); }
    void write(const std::string& text) { std::ofstream(path_) << text; }

    rt::testing::TestFolder dir_;
    std::string path_ = dir_ / "answers.ini";
};

TEST_F(AnswersTest, ParsesKeysListsAndComments) {
    auto values =
        Answers::parse("# comment\n menu = 9004 , 9002\nconfirm=yes\n\nbroken line\n=x\n");
    EXPECT_EQ(values.size(), 2u);
    EXPECT_EQ(values["menu"], (std::vector<std::string>{"9004", "9002"}));
    EXPECT_EQ(values["confirm"], (std::vector<std::string>{"yes"}));
}

TEST_F(AnswersTest, ListsAreTakenInOrderAndTheLastItemRepeats) {
    write("menu = 9004, 9003\nconfirm = true\n");
    Answers& answers = Answers::instance();
    EXPECT_EQ(answers.next("menu"), "9004");
    EXPECT_EQ(answers.next("confirm"), "true");
    EXPECT_EQ(answers.next("menu"), "9003");
    EXPECT_EQ(answers.next("menu"), "9003");
    EXPECT_EQ(answers.next("confirm"), "true");
    EXPECT_EQ(answers.next("folder"), std::nullopt);
}

TEST_F(AnswersTest, ANewFileStartsEveryListAgain) {
    write("menu = 1, 2\n");
    EXPECT_EQ(Answers::instance().next("menu"), "1");
    EXPECT_EQ(Answers::instance().next("menu"), "2");
    write("menu = 1, 2, 3\n");
    EXPECT_EQ(Answers::instance().next("menu"), "1");
}

TEST_F(AnswersTest, NoFileNoAnswer) {
    EXPECT_EQ(Answers::instance().next("menu"), std::nullopt);
}

TEST(HomeFolder, ComesFromTheOverrideOrTheConfigFolder) {
    ::setenv("SYSLITE_HOME", "/x/home", 1);
    EXPECT_EQ(homeFolder(), "/x/home");
    ::unsetenv("SYSLITE_HOME");
    ::setenv("XDG_CONFIG_HOME", "/x/config", 1);
    EXPECT_EQ(homeFolder(), "/x/config/morvick/syslite");
    ::unsetenv("XDG_CONFIG_HOME");
}

TEST(Headless, FollowsTheBrowserHostsChoice) {
    ::unsetenv("DISPLAY");
    ::unsetenv("WAYLAND_DISPLAY");
    ::unsetenv("CEFHX_HEADLESS");
    EXPECT_TRUE(headless());
    ::setenv("WAYLAND_DISPLAY", "wayland-0", 1);
    EXPECT_FALSE(headless());
    // A display is there, but the host was told to run headless: the desktop stays untouched.
    ::setenv("DISPLAY", ":0", 1);
    ::setenv("CEFHX_HEADLESS", "1", 1);
    EXPECT_TRUE(headless());
    ::setenv("CEFHX_HEADLESS", "0", 1);
    EXPECT_FALSE(headless());
    ::unsetenv("DISPLAY");
    ::unsetenv("WAYLAND_DISPLAY");
    ::unsetenv("CEFHX_HEADLESS");
}

}  // namespace
}  // namespace syslite
