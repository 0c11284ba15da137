// Window properties and the bounds Chromium is sent, without a browser.
#include "platform/cefhx/window_bounds.h"

#include <gtest/gtest.h>

#include "platform/cefhx/window_messages.h"

namespace cefhx {
namespace {

HostWindow window(int width = 640, int height = 480) {
    HostWindow w(1, rt::Value(), rt::Value(), width, height, 0);
    w.browserWindowId = 9;
    w.visible = true;
    return w;
}

std::string stateOf(const BoundsUpdate& u) {
    return u.commands.empty() ? "" : u.commands[0]["bounds"]["windowState"].asString();
}

TEST(WindowProperties, OnlyRealChangesAreHeardOfAndMinimisedAndMaximisedExcludeEachOther) {
    HostWindow w = window();
    EXPECT_EQ(changeWindowProperty(w, WindowProperty::Width, 640), 0u);
    EXPECT_EQ(changeWindowProperty(w, WindowProperty::Width, 700), kSizedMessage);
    EXPECT_EQ(changeWindowProperty(w, WindowProperty::Height, 300), kSizedMessage);
    EXPECT_EQ(changeWindowProperty(w, WindowProperty::Maximized, true), kMaximizedMessage);
    EXPECT_EQ(changeWindowProperty(w, WindowProperty::Minimized, true), kMinimizedMessage);
    EXPECT_FALSE(w.flagProperty(WindowProperty::Maximized));
    EXPECT_EQ(changeWindowProperty(w, WindowProperty::Minimized, true), 0u);
    EXPECT_EQ(changeWindowProperty(w, WindowProperty::Minimized, false), kRestoredMessage);
    EXPECT_TRUE(w.flagProperty(WindowProperty::Maximized)) << "restored to the state it left";
    EXPECT_EQ(changeWindowProperty(w, WindowProperty::Maximized, false), kRestoredMessage);
    EXPECT_EQ(changeWindowProperty(w, WindowProperty::Maximized, true), kMaximizedMessage);
    EXPECT_EQ(changeWindowProperty(w, WindowProperty::Maximized, false), kRestoredMessage);
    EXPECT_EQ(changeWindowProperty(w, WindowProperty::FullScreen, true), kFullScreenMessage);
    EXPECT_EQ(changeWindowProperty(w, WindowProperty::FullScreen, false), kFullScreenMessage);
    EXPECT_EQ(changeWindowProperty(w, WindowProperty::Caption, false), 0u);
    EXPECT_EQ(w.intProperty(WindowProperty::Width), 700);
}

TEST(WindowBounds, TheNormalStateCarriesTheBoundsAndOtherStatesNone) {
    HostWindow w = window(0, 480);
    w.setProperty(WindowProperty::Left, 20);
    w.setProperty(WindowProperty::Top, 30);
    BoundsUpdate u = windowBounds(w, true, false);
    ASSERT_EQ(u.commands.size(), 2u);
    EXPECT_EQ(stateOf(u), "normal");
    EXPECT_EQ(u.commands[0]["windowId"], 9);
    const Json::Value& bounds = u.commands[1]["bounds"];
    EXPECT_EQ(bounds["left"], 20);
    EXPECT_EQ(bounds["top"], 30);
    EXPECT_EQ(bounds["width"], 1) << "never a zero size";
    EXPECT_EQ(bounds["height"], 480);
    w.setProperty(WindowProperty::Maximized, true);
    EXPECT_EQ(stateOf(windowBounds(w, true, false)), "maximized");
    EXPECT_EQ(windowBounds(w, true, false).commands.size(), 1u);
    w.setProperty(WindowProperty::FullScreen, true);
    EXPECT_EQ(stateOf(windowBounds(w, true, false)), "fullscreen");
}

TEST(WindowBounds, MinimisingIsTheHostsHeadlessAndAlsoTheWindowManagersOnADisplay) {
    HostWindow w = window();
    w.setProperty(WindowProperty::Minimized, true);
    EXPECT_EQ(stateOf(windowBounds(w, true, false)), "normal") << "headless pages keep drawing";
    EXPECT_FALSE(windowBounds(w, true, false).iconify);
    EXPECT_EQ(stateOf(windowBounds(w, false, false)), "minimized");
    EXPECT_FALSE(windowBounds(w, false, false).iconify);
    w.xWindow = 77;
    BoundsUpdate u = windowBounds(w, false, true);
    EXPECT_EQ(stateOf(u), "minimized");
    EXPECT_TRUE(u.iconify);
    EXPECT_EQ(u.commands.size(), 1u);
}

// What the host sends as the lobby is maximised, minimised beside a game and restored.
std::vector<BoundsUpdate> replay(HostWindow& w, bool hasDesktop,
                                 std::initializer_list<std::pair<WindowProperty, bool>> changes) {
    std::vector<BoundsUpdate> sent;
    for (const auto& [id, on] : changes) {
        changeWindowProperty(w, id, on);
        sent.push_back(windowBounds(w, false, hasDesktop));
        w.browserState = sent.back().state;
    }
    return sent;
}

TEST(WindowBounds, ARestoredWindowGetsBackTheStateItWasMinimisedFrom) {
    HostWindow w = window(1280, 846);
    w.xWindow = 77;
    std::vector<BoundsUpdate> sent = replay(w, true,
                                            {{WindowProperty::Maximized, true},
                                             {WindowProperty::Minimized, true},
                                             {WindowProperty::Minimized, false}});
    EXPECT_EQ(stateOf(sent[1]), "minimized");
    // No normal state and no bounds, which would undo the maximised state the window manager
    // keeps: the window manager maps it back, then Chromium is asked to maximise.
    const BoundsUpdate& restore = sent[2];
    EXPECT_TRUE(restore.deiconify);
    ASSERT_EQ(restore.commands.size(), 1u);
    EXPECT_EQ(stateOf(restore), "maximized");
    EXPECT_TRUE(w.flagProperty(WindowProperty::Maximized));

    // Without X Chromium restores it to normal first, then maximises it.
    HostWindow plain = window(1280, 846);
    sent = replay(plain, false,
                  {{WindowProperty::Maximized, true},
                   {WindowProperty::Minimized, true},
                   {WindowProperty::Minimized, false}});
    EXPECT_FALSE(sent[2].deiconify);
    ASSERT_EQ(sent[2].commands.size(), 2u);
    EXPECT_EQ(stateOf(sent[2]), "normal");
    EXPECT_EQ(sent[2].commands[1]["bounds"]["windowState"], "maximized");

    // A window minimised from the normal state gets its bounds back; one un-maximised while
    // minimised comes back normal.
    HostWindow normal = window(1280, 846);
    normal.xWindow = 77;
    sent = replay(normal, true,
                  {{WindowProperty::Minimized, true},
                   {WindowProperty::Minimized, false},
                   {WindowProperty::Maximized, true},
                   {WindowProperty::Minimized, true},
                   {WindowProperty::Maximized, false},
                   {WindowProperty::Minimized, false}});
    for (size_t i : {1u, 5u}) {
        EXPECT_FALSE(sent[i].deiconify);
        ASSERT_EQ(sent[i].commands.size(), 2u);
        EXPECT_EQ(stateOf(sent[i]), "normal");
        EXPECT_EQ(sent[i].commands[1]["bounds"]["width"], 1280);
        EXPECT_EQ(sent[i].commands[1]["bounds"]["height"], 846);
    }
    EXPECT_FALSE(normal.flagProperty(WindowProperty::Maximized));
}

TEST(WindowBounds, HiddenWindowsAreMinimisedWithoutXAndLeftAloneOnceWithdrawn) {
    HostWindow w = window();
    w.visible = false;
    EXPECT_EQ(stateOf(windowBounds(w, false, false)), "minimized");
    // With X but the X window not yet found: normal, so it comes back at its own size.
    EXPECT_EQ(stateOf(windowBounds(w, false, true)), "normal");
    w.xWindow = 77;
    EXPECT_TRUE(windowBounds(w, false, true).commands.empty());
    EXPECT_EQ(stateOf(windowBounds(w, true, false)), "normal");
}

}  // namespace
}  // namespace cefhx
