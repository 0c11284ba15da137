#include "platform/cefhx/tour_script.h"

#include <gtest/gtest.h>

namespace cefhx {
namespace {

TEST(TourScript, ReadsEveryStepKindAndSkipsBlanksAndComments) {
    TourScript s = parseTour(
        "# a tour\n"
        "\n"
        "wait login.html document.readyState === 'complete' && !!window.cefhx\r\n"
        "   click  login.html   form button.primary[type=\"submit\"]  \n"
        "fill login.html #user  Anna  Maria \n"
        "\t# indented comment\n"
        "shot lobby.html 01 lobby view\n"
        "pause 250\n"
        "pause 0");
    ASSERT_TRUE(s.ok()) << s.error;
    ASSERT_EQ(s.steps.size(), 6u);

    EXPECT_EQ(s.steps[0].kind, TourStepKind::Wait);
    EXPECT_EQ(s.steps[0].line, 3);
    EXPECT_EQ(s.steps[0].window, "login.html");
    EXPECT_EQ(s.steps[0].target, "document.readyState === 'complete' && !!window.cefhx");

    // The selector of a click is the rest of the line; the step text is the trimmed line.
    EXPECT_EQ(s.steps[1].kind, TourStepKind::Click);
    EXPECT_EQ(s.steps[1].line, 4);
    EXPECT_EQ(s.steps[1].target, "form button.primary[type=\"submit\"]");
    EXPECT_EQ(s.steps[1].text, "click  login.html   form button.primary[type=\"submit\"]");

    // A fill's selector is one word; its text is the rest, inner spaces kept.
    EXPECT_EQ(s.steps[2].kind, TourStepKind::Fill);
    EXPECT_EQ(s.steps[2].target, "#user");
    EXPECT_EQ(s.steps[2].value, "Anna  Maria");

    EXPECT_EQ(s.steps[3].kind, TourStepKind::Shot);
    EXPECT_EQ(s.steps[3].line, 7);
    EXPECT_EQ(s.steps[3].window, "lobby.html");
    EXPECT_EQ(s.steps[3].target, "01 lobby view");

    EXPECT_EQ(s.steps[4].kind, TourStepKind::Pause);
    EXPECT_EQ(s.steps[4].pauseMs, 250u);
    EXPECT_TRUE(s.steps[4].window.empty());
    EXPECT_EQ(s.steps[5].line, 9);
    EXPECT_EQ(s.steps[5].pauseMs, 0u);
}

TEST(TourScript, TrayMenuAndBoxStepsNameTheClickTheItemAndTheButton) {
    TourScript s = parseTour(
        "tray lobby.html 517\n"
        "menu \xE5\x85\xB3\xE4\xBA\x8E\n"
        "menu 9002\n"
        "box  Not now \n");
    ASSERT_TRUE(s.ok()) << s.error;
    struct Wanted {
        TourStepKind kind;
        const char* window;
        const char* target;  // a button's label is the rest of the line, inner blanks kept
        int mouseMessage;
    };
    const Wanted wanted[] = {{TourStepKind::Tray, "lobby.html", "", 517},
                             {TourStepKind::Menu, "", "\xE5\x85\xB3\xE4\xBA\x8E", 0},
                             {TourStepKind::Menu, "", "9002", 0},
                             {TourStepKind::Box, "", "Not now", 0}};
    ASSERT_EQ(s.steps.size(), std::size(wanted));
    for (size_t i = 0; i < s.steps.size(); ++i) {
        EXPECT_EQ(s.steps[i].kind, wanted[i].kind) << i;
        EXPECT_EQ(s.steps[i].window, wanted[i].window) << i;
        EXPECT_EQ(s.steps[i].target, wanted[i].target) << i;
        EXPECT_EQ(s.steps[i].mouseMessage, wanted[i].mouseMessage) << i;
    }
}

TEST(TourScript, EmptyFileHasNoSteps) {
    TourScript s = parseTour("\n# only a comment\n   \n");
    EXPECT_TRUE(s.ok());
    EXPECT_TRUE(s.steps.empty());
}

TEST(TourScript, BadLinesAreReportedWithTheirNumber) {
    struct Case {
        const char* line;
        const char* why;
    };
    const Case cases[] = {
        {"jump login.html", "unknown step \"jump\""},
        {"wait", "wait needs a window"},
        {"wait login.html", "wait needs a JavaScript expression"},
        {"click login.html", "click needs a CSS selector"},
        {"fill login.html", "fill needs a CSS selector"},
        {"fill login.html #user", "fill needs a text after the selector"},
        {"shot", "shot needs a window"},
        {"pause", "pause needs a number of milliseconds"},
        {"pause soon", "pause needs milliseconds from 0 to 86400000, got \"soon\""},
        {"pause -5", "pause needs milliseconds from 0 to 86400000, got \"-5\""},
        {"pause 10ms", "pause needs milliseconds from 0 to 86400000, got \"10ms\""},
        {"pause 99999999999", "pause needs milliseconds from 0 to 86400000, got \"99999999999\""},
        {"pause 10 20", "pause takes one number, got more after it"},
        {"Wait login.html true", "unknown step \"Wait\""},
        {"tray", "tray needs a window"},
        {"tray lobby.html", "tray needs a mouse message from 512 to 521, got \"\""},
        {"tray lobby.html right", "tray needs a mouse message from 512 to 521, got \"right\""},
        {"tray lobby.html 9001", "tray needs a mouse message from 512 to 521, got \"9001\""},
        {"tray lobby.html 517 515", "tray needs a mouse message from 512 to 521, got \"517\""},
        {"menu", "menu needs an item's label or id"},
        {"box", "box needs a button"},
    };
    for (const Case& c : cases) {
        TourScript s = parseTour(std::string("# header\npause 1\n") + c.line + "\npause 2\n");
        EXPECT_FALSE(s.ok()) << c.line;
        EXPECT_EQ(s.errorLine, 3) << c.line;
        EXPECT_EQ(s.errorText, c.line);
        EXPECT_EQ(s.error, c.why) << c.line;
        // A tour that does not parse plays nothing, not even its good lines.
        EXPECT_TRUE(s.steps.empty()) << c.line;
    }
}

TEST(TourScript, ShotNamesArePlainFileNames) {
    const char* bad[] = {"shot w.html ../up", "shot w.html a/b",  "shot w.html /abs",
                         "shot w.html ..",    "shot w.html a..b", "shot w.html .",
                         "shot w.html"};
    for (const char* line : bad) {
        TourScript s = parseTour(line);
        EXPECT_FALSE(s.ok()) << line;
        EXPECT_EQ(s.errorLine, 1) << line;
    }
    EXPECT_EQ(parseTour("shot w.html").error, "shot needs a name");
    EXPECT_EQ(parseTour("shot w.html x/../y").error, "shot name contains '/'");
    for (const char* good : {"shot w.html .hidden", "shot w.html login-01", "shot w.html a.b"}) {
        EXPECT_TRUE(parseTour(good).ok()) << good;
    }
}

TEST(TourScript, WindowLabelIsTheLastPathSegmentWithoutQueryOrFragment) {
    EXPECT_EQ(windowLabel("file:///opt/lobby/resource/login.html"), "login.html");
    EXPECT_EQ(windowLabel("file:///opt/lobby/resource/lobby.html?user=a/b#top"), "lobby.html");
    EXPECT_EQ(windowLabel("file:///r/gameplug.html#x/y"), "gameplug.html");
    EXPECT_EQ(windowLabel("file:///r/folder/"), "");
    EXPECT_EQ(windowLabel("page.html"), "page.html");
}

}  // namespace
}  // namespace cefhx
