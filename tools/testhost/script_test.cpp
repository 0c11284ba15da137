#include "tools/testhost/script.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "runtime/array.h"

namespace testhost {
namespace {

TEST(ScriptTest, ReadsEveryStepWithItsLineAndSkipsCommentsAndBlankLines) {
    const morvick::Expected<std::vector<Step>> parsed = parseScript(
        "# start\n"
        "\n"
        "call lobby.html setSwfReady\n"
        "call login.html toLogin [\"ann\", \"pw\", \"\", 1]\n"
        "expect invoke [lobby.html] login [\"ann\"\n"
        "answer getRecodeAccount(); {\"name\": \"ann\"}\n"
        "  tray lobby.html 517  \n"
        "newapp login.html\n"
        "close lobby.html\n"
        "mark second copy may start\n"
        "quit\n");
    ASSERT_TRUE(parsed) << parsed.error();
    const std::vector<Step>& steps = *parsed;
    ASSERT_EQ(steps.size(), 9u);

    EXPECT_EQ(steps[0].kind, StepKind::Call);
    EXPECT_EQ(steps[0].line, 3);
    EXPECT_EQ(steps[0].window, "lobby.html");
    EXPECT_EQ(steps[0].name, "setSwfReady");
    ASSERT_TRUE(steps[0].value.asArray());
    EXPECT_EQ(steps[0].value.asArray()->size(), 0);

    ASSERT_TRUE(steps[1].value.asArray());
    EXPECT_EQ(steps[1].value.asArray()->size(), 4);
    EXPECT_EQ(steps[1].value.asArray()->items()[0].str(), "ann");
    EXPECT_EQ(steps[1].value.asArray()->items()[3].toInt(), 1);

    EXPECT_EQ(steps[2].kind, StepKind::Expect);
    EXPECT_EQ(steps[2].text, "invoke [lobby.html] login [\"ann\"");

    EXPECT_EQ(steps[3].kind, StepKind::Answer);
    EXPECT_EQ(steps[3].name, "getRecodeAccount();");
    EXPECT_EQ(steps[3].value.get("name").str(), "ann");

    EXPECT_EQ(steps[4].kind, StepKind::Tray);
    EXPECT_EQ(steps[4].number, 517);
    EXPECT_EQ(steps[4].source, "tray lobby.html 517");
    EXPECT_EQ(steps[5].kind, StepKind::NewApp);
    EXPECT_EQ(steps[5].window, "login.html");
    EXPECT_EQ(steps[6].kind, StepKind::Close);
    EXPECT_EQ(steps[7].kind, StepKind::Mark);
    EXPECT_EQ(steps[7].text, "second copy may start");
    EXPECT_EQ(steps[8].kind, StepKind::Quit);
    EXPECT_EQ(steps[8].line, 11);
}

// Each broken line is refused with its line number, so a test's script error is found at once.
TEST(ScriptTest, RefusesBrokenLinesNamingTheLine) {
    struct Case {
        const char* script;
        const char* says;
    };
    for (Case c :
         {Case{"jump lobby.html", "line 1"},
          Case{"\ncall", "line 2 (call): the window label is missing"},
          Case{"call lobby.html", "the call name is missing"},
          Case{"call lobby.html x {\"a\":1}", "not a JSON array"},
          Case{"call lobby.html x [1,", "not JSON"},
          Case{"tray lobby.html right", "not a number: right"},
          Case{"tray lobby.html 517x", "not a number"}, Case{"tray lobby.html", "not a number"},
          Case{"newapp", "window label is missing"},
          Case{"close a.html b.html", "unexpected text: b.html"},
          Case{"quit now", "unexpected text"}, Case{"expect", "the text is missing"},
          Case{"answer f", "needs a name and a value"}}) {
        const morvick::Expected<std::vector<Step>> steps = parseScript(c.script);
        if (steps) {
            ADD_FAILURE() << "accepted: " << c.script;
        } else {
            EXPECT_NE(steps.error().find(c.says), std::string::npos)
                << c.script << " -> " << steps.error();
        }
    }
}

}  // namespace
}  // namespace testhost
