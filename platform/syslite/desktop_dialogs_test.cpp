// Boxes and menus go to the browser host that registered itself, only with a display; without
// one, or when the host cannot show them, the answers file answers as it always has.
#include <stdlib.h>

#include <string>
#include <vector>

#include "platform/shared/host_windows.h"
#include "platform/syslite/primitives_fixture.h"

namespace syslite {
namespace {

using rt::Value;
using testing::call;

// A browser host standing in for the real one: records what it was asked and answers as told.
struct FakeHost {
    std::vector<std::string> asked;
    int boxAnswer = HOST_BOX_YES;
    bool menuShown = true;
    int menuAnswer = 0;
};
FakeHost* g_fake = nullptr;

int fakeBox(const host_box* box) {
    g_fake->asked.push_back(std::string(box->kind == HOST_BOX_CONFIRM ? "confirm" : "message") +
                            (box->warning ? " warning " : " ") + box->title + "|" + box->text);
    return g_fake->boxAnswer;
}

int fakeMenu(const host_menu_entry* entries, size_t count, int* chosen) {
    std::string line = "menu";
    for (size_t i = 0; i < count; ++i) {
        const host_menu_entry& e = entries[i];
        line += " " + std::to_string(e.kind) + "/" + std::to_string(e.depth) + "/" +
                std::to_string(e.id) + "/" + e.label;
    }
    g_fake->asked.push_back(line);
    *chosen = g_fake->menuAnswer;
    return g_fake->menuShown ? 1 : 0;
}

const host_windows kFakeHost{&fakeBox, &fakeMenu};

class DesktopDialogsTest : public testing::PrimitivesTest {
protected:
    void SetUp() override {
        PrimitivesTest::SetUp();
        g_fake = &fake_;
        host_windows_register(&kFakeHost);
        ::setenv("CEFHX_HEADLESS", "0", 1);
        answer("confirm = yes\nmenu = 2\n");
    }
    void TearDown() override {
        host_windows_register(nullptr);
        g_fake = nullptr;
        ::unsetenv("CEFHX_HEADLESS");
        PrimitivesTest::TearDown();
    }

    Value popupMenu() {
        Value menu = call("win_popup_menu_create", {});
        Value sub = call("win_popup_menu_create", {});
        call("win_add_menu_item", {menu, Value("One"), Value(1)});
        call("win_add_menu_divider", {menu, Value(0)});
        call("win_add_menu_item", {sub, Value("Two"), Value(2)});
        call("win_add_menu_submenu", {menu, sub, Value("More"), Value(5)});
        return menu;
    }

    FakeHost fake_;
};

TEST_F(DesktopDialogsTest, WithADisplayTheHostShowsBoxesAndThePlayerAnswers) {
    fake_.boxAnswer = HOST_BOX_NO;
    EXPECT_EQ(call("dialogs_dialog_box", {Value("Sure?"), Value("Leave <now>"), Value(true)}),
              Value(false));
    call("dialogs_message_box", {Value("About"), Value("v2"), Value(false)});
    call("dialogs_message_box", {Value("Oops"), Value("bad"), Value(true)});
    EXPECT_EQ(fake_.asked,
              (std::vector<std::string>{"confirm warning Sure?|Leave <now>", "message About|v2",
                                        "message warning Oops|bad"}));
    EXPECT_NE(
        logText().find("confirm box \"Sure?\": \"Leave <now>\" (flag set) shown, answered no"),
        std::string::npos)
        << logText();
    EXPECT_NE(logText().find("message box \"About\": \"v2\" shown, closed"), std::string::npos);
}

TEST_F(DesktopDialogsTest, WithADisplayTheHostShowsMenusFlatWithTheirSubMenusAndAnswersTheId) {
    Value menu = popupMenu();
    fake_.menuAnswer = 2;
    EXPECT_EQ(call("win_show_popup_menu", {Value(7), menu}), Value(2));
    fake_.menuAnswer = 0;
    EXPECT_EQ(call("win_show_popup_menu", {Value(7), menu}), Value(0));
    EXPECT_EQ(fake_.asked[0], "menu 0/0/1/One 1/0/0/ 2/0/5/More 0/1/2/Two");
    EXPECT_NE(logText().find("closed, nothing chosen"), std::string::npos);
    call("win_destroy_menu", {menu});
}

TEST_F(DesktopDialogsTest, WhatTheHostCannotShowIsAnsweredFromTheAnswersFile) {
    fake_.boxAnswer = HOST_BOX_NOT_SHOWN;
    fake_.menuShown = false;
    EXPECT_EQ(call("dialogs_dialog_box", {Value("Sure?"), Value("x"), Value(false)}), Value(true));
    Value menu = popupMenu();
    EXPECT_EQ(call("win_show_popup_menu", {Value(7), menu}), Value(2));
    EXPECT_EQ(fake_.asked.size(), 2u);
    EXPECT_NE(logText().find("confirm box \"Sure?\": \"x\" answered yes"), std::string::npos);
    call("win_destroy_menu", {menu});
}

TEST_F(DesktopDialogsTest, HeadlessTheHostIsNeverAskedAndTheAnswersFileAnswersAsBefore) {
    ::setenv("CEFHX_HEADLESS", "1", 1);
    EXPECT_EQ(call("dialogs_dialog_box", {Value("Sure?"), Value("x"), Value(false)}), Value(true));
    call("dialogs_message_box", {Value("About"), Value("v2"), Value(false)});
    Value menu = popupMenu();
    EXPECT_EQ(call("win_show_popup_menu", {Value(7), menu}), Value(2));
    EXPECT_TRUE(fake_.asked.empty());
    EXPECT_NE(logText().find("message box \"About\": \"v2\" answered OK"), std::string::npos);
    call("win_destroy_menu", {menu});
    // No display at all counts as headless too.
    ::unsetenv("CEFHX_HEADLESS");
    ::unsetenv("WAYLAND_DISPLAY");
    EXPECT_EQ(call("dialogs_dialog_box", {Value("Sure?"), Value("x"), Value(false)}), Value(true));
    EXPECT_TRUE(fake_.asked.empty());
}

}  // namespace
}  // namespace syslite
