#include "tools/fakegame/script.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace fakegame {
namespace {

TEST(Script, ReadsEveryStepFromAFile) {
    const auto steps = ParseScript(
        "# start\n"
        "link\n"
        "waitfor 2 101\n"
        "text hello  world\n"
        "textsync {\"tag\":\"ready\"}\n"
        "text\n"
        "fill 2000 q sync\n"
        "raw 7 8 00ff sync\n"
        "raw 9 10\n"
        "bad size\n"
        "waitfor 4 100 3\n"
        "wait 50\n"
        "quitcode 7\n"
        "quitgoodbye\n"
        "stay\n"
        "unwindow\n"
        "goodbye sync\n"
        "die 3\n",
        '\n');
    ASSERT_EQ(steps.size(), 17u);
    EXPECT_EQ(steps[0].op, Op::Link);
    EXPECT_FALSE(steps[0].sync);
    EXPECT_EQ(steps[1].op, Op::WaitFor);
    EXPECT_EQ(steps[1].a, 2);
    EXPECT_EQ(steps[1].b, 101);
    EXPECT_EQ(steps[1].c, 1);
    EXPECT_EQ(steps[2].text, "hello  world");
    EXPECT_FALSE(steps[2].sync);
    EXPECT_EQ(steps[3].text, "{\"tag\":\"ready\"}");
    EXPECT_TRUE(steps[3].sync);
    EXPECT_EQ(steps[4].op, Op::Text);
    EXPECT_EQ(steps[4].text, "");
    EXPECT_EQ(steps[5].op, Op::Fill);
    EXPECT_EQ(steps[5].a, 2000);
    EXPECT_EQ(steps[5].text, "q");
    EXPECT_TRUE(steps[5].sync);
    EXPECT_EQ(steps[6].payload, (std::vector<uint8_t>{0x00, 0xff}));
    EXPECT_TRUE(steps[6].sync);
    EXPECT_TRUE(steps[7].payload.empty());
    EXPECT_FALSE(steps[7].sync);
    EXPECT_EQ(steps[8].text, "size");
    EXPECT_EQ(steps[9].c, 3);
    EXPECT_EQ(steps[10].a, 50);
    EXPECT_EQ(steps[11].op, Op::QuitCode);
    EXPECT_EQ(steps[11].a, 7);
    EXPECT_EQ(steps[12].op, Op::QuitGoodbye);
    EXPECT_EQ(steps[13].op, Op::Stay);
    EXPECT_EQ(steps[14].op, Op::Unwindow);
    EXPECT_EQ(steps[15].op, Op::Goodbye);
    EXPECT_TRUE(steps[15].sync);
    EXPECT_EQ(steps[16].op, Op::Die);
    EXPECT_EQ(steps[16].a, 3);
}

TEST(Script, CommandLineStepsAreSeparatedBySemicolons) {
    const auto steps =
        ParseScript("link;waitfor 2 101; text hi ;die 4;pingpong 100 64;flood 5 9", ';');
    ASSERT_EQ(steps.size(), 6u);
    EXPECT_EQ(steps[2].text, "hi");
    EXPECT_EQ(steps[3].a, 4);
    EXPECT_EQ(steps[4].op, Op::PingPong);
    EXPECT_EQ(steps[4].a, 100);
    EXPECT_EQ(steps[4].b, 64);
    EXPECT_EQ(steps[5].op, Op::Flood);
}

TEST(Script, ErrorsNameTheStep) {
    const char* bad[] = {"jump",        "link now",   "fill x q",     "fill 3 qq",
                         "raw 1 2 abc", "raw 1 2 zz", "bad other",    "waitfor 1",
                         "die",         "wait 10ms",  "goodbye later"};
    for (const char* line : bad) {
        try {
            ParseScript(std::string("link\n") + line, '\n');
            ADD_FAILURE() << "accepted '" << line << "'";
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find("step 2"), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(line), std::string::npos) << e.what();
        }
    }
}

}  // namespace
}  // namespace fakegame
