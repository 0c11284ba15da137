// The host with a display: Chromium headed on a private Xvfb with openbox, started by the test.
// What the program's windows are is checked through X from a second client, never through the
// host: which windows are viewable, their client areas, decorations, focus and shape, and a drag
// played with XTest.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "platform/cefhx/headed_host_run.h"
#include "platform/cefhx/test_display.h"
#include "platform/cefhx/test_window.h"
#include "platform/cefhx/x11_desktop.h"
#include "runtime/create.h"
#include "runtime/function.h"
#include "runtime/record.h"

namespace cefhx::testing {
namespace {

namespace fs = std::filesystem;
using rt::Value;

// The run's folder, display and the test's own look at the screen.
const fs::path& g_folder = headedRun().folder;
TestDisplay*& g_display = headedRun().display;
std::unique_ptr<X11Desktop>& g_x = headedRun().x;

// Window property ids and flags as the binding sends them.
constexpr int kLeft = 5, kTop = 6, kWidth = 3, kHeight = 4;
constexpr int kNoCaption = 512;

rt::Ref<RecordingWindow> makeWindow(int width, int height, int flags) {
    rt::Ref<RecordingWindow> w = rt::create<RecordingWindow>();
    w->url = (g_folder / "page.html").string();
    callHost("cef_window_create", {width, height, flags, w, rt::Record::of({{"isInit", false}})});
    return w;
}

// The window's X window, found through X by the native title the test gives it.
XWindowId clientOf(const rt::Ref<RecordingWindow>& w, const std::string& title) {
    callHost("window_set_title", {w->handle, title});
    XWindowId found = 0;
    pumpUntil([&] { return (found = g_x->findByTitle(title, 0, 0)) != 0; });
    return found;
}

void show(const rt::Ref<RecordingWindow>& w, bool visible) {
    callHost("cef_window_show", {w->handle, visible, true, false, true});
}

void closeWindow(const rt::Ref<RecordingWindow>& w) {
    w->allowClose = true;
    callHost("cef_window_close", {w->handle});
}

bool viewableIs(XWindowId x, bool on) {
    return pumpUntil([&] { return g_x->viewable(x) == on; });
}

bool sizeIs(XWindowId x, int width, int height) {
    return pumpUntil([&] {
        XRect r = g_x->geometry(x);
        return r.width == width && r.height == height;
    });
}

std::vector<XWindowId> viewable() {
    std::vector<XWindowId> list = g_display->viewableClients();
    std::sort(list.begin(), list.end());
    return list;
}

TEST(HostDesktop, ApplicationWindowsShowTheirPageAtTheAskedSizeAndNothingElse) {
    // Chromium runs, yet no window shows before the program opens one.
    EXPECT_TRUE(viewable().empty());
    rt::Ref<RecordingWindow> w = makeWindow(500, 300, 0);
    show(w, true);
    XWindowId x = clientOf(w, "sized window");
    ASSERT_NE(x, 0u);
    ASSERT_TRUE(viewableIs(x, true));
    ASSERT_TRUE(sizeIs(x, 500, 300));
    // The client area is the page: no tab strip, address bar or info bar above it.
    EXPECT_EQ(callHost("frame_evaljavascript",
                       {w->handle, true, "", "window.innerWidth + 'x' + window.innerHeight"})
                  .toString(),
              "500x300");
    EXPECT_EQ(viewable(), std::vector<XWindowId>{x});
    // A window with a caption gets the window manager's frame around that area.
    std::vector<long> frame = g_display->frameExtents(x);
    ASSERT_EQ(frame.size(), 4u);
    EXPECT_GT(frame[2], 0);
    EXPECT_TRUE(pumpUntil([&] { return g_display->activeWindow() == x; }));
    closeWindow(w);
    EXPECT_TRUE(pumpUntil([&] { return viewable().empty(); }));
}

TEST(HostDesktop, HiddenWindowsAreWithdrawnAndShownOnesComeBackRaisedAndFocused) {
    rt::Ref<RecordingWindow> a = makeWindow(300, 200, 0);
    rt::Ref<RecordingWindow> b = makeWindow(320, 220, 0);
    // Made hidden and never shown yet, as the lobby is while the player logs in.
    rt::Ref<RecordingWindow> later = makeWindow(340, 240, 0);
    show(a, true);
    show(b, true);
    XWindowId xa = clientOf(a, "window a");
    XWindowId xb = clientOf(b, "window b");
    XWindowId xl = clientOf(later, "window later");
    ASSERT_NE(xa, 0u);
    ASSERT_NE(xb, 0u);
    ASSERT_NE(xl, 0u);
    ASSERT_TRUE(viewableIs(xa, true));
    ASSERT_TRUE(viewableIs(xb, true));
    EXPECT_TRUE(viewableIs(xl, false));

    show(a, false);
    EXPECT_TRUE(viewableIs(xa, false));
    EXPECT_TRUE(pumpUntil([&] { return viewable() == std::vector<XWindowId>{xb}; }));
    show(a, true);
    EXPECT_TRUE(viewableIs(xa, true));
    EXPECT_TRUE(pumpUntil([&] { return g_display->activeWindow() == xa; }));

    show(later, true);
    EXPECT_TRUE(viewableIs(xl, true));
    EXPECT_TRUE(sizeIs(xl, 340, 240));
    EXPECT_TRUE(pumpUntil([&] { return g_display->activeWindow() == xl; }));
    std::vector<std::string> state = g_display->netWmState(xl);
    EXPECT_EQ(std::count(state.begin(), state.end(), "_NET_WM_STATE_HIDDEN"), 0);
    for (auto& w : {a, b, later}) closeWindow(w);
}

TEST(HostDesktop, FramelessWindowsHaveNoDecorationsAndRoundedOnesReportTheirShape) {
    rt::Ref<RecordingWindow> w = makeWindow(400, 260, kNoCaption);
    show(w, true);
    XWindowId x = clientOf(w, "frameless");
    ASSERT_NE(x, 0u);
    ASSERT_TRUE(sizeIs(x, 400, 260));
    EXPECT_TRUE(pumpUntil([&] {
        std::vector<long> frame = g_display->frameExtents(x);
        return frame.size() == 4 && frame == std::vector<long>{0, 0, 0, 0};
    }));

    callHost("window_setround",
             {w->handle, rt::Record::of({{"x", 0}, {"y", 0}, {"width", 401}, {"height", 261}}),
              rt::Record::of({{"width", 24}, {"height", 24}})});
    const std::vector<XRect> expected = roundedShape(0, 0, 401, 261, 24, 24, 400, 260);
    // Chromium sets shapes of its own now and then; the host puts the window's back.
    std::vector<XRect> shape;
    ASSERT_TRUE(pumpUntil([&] { return (shape = g_x->shape(x)) == expected; }));
    // The corners are cut, the middle rows are whole.
    EXPECT_GT(shape.front().x, 0);
    EXPECT_EQ(shape.front().y, 0);
    bool fullRow = std::any_of(shape.begin(), shape.end(), [](const XRect& r) {
        return r.x == 0 && r.width == 400 && r.y <= 130 && r.y + r.height > 130;
    });
    EXPECT_TRUE(fullRow);
    closeWindow(w);
}

TEST(HostDesktop, AnOwnedWindowIsAModalDialogOfItsOwner) {
    rt::Ref<RecordingWindow> owner = makeWindow(500, 400, 0);
    rt::Ref<RecordingWindow> box = makeWindow(260, 120, kNoCaption);
    // Owned before either X window is known: the hints follow once both are.
    callHost("window_set_owner", {box->handle, owner->handle});
    show(owner, true);
    show(box, true);
    XWindowId xo = clientOf(owner, "owner");
    XWindowId xb = clientOf(box, "box");
    ASSERT_NE(xo, 0u);
    ASSERT_NE(xb, 0u);
    EXPECT_TRUE(pumpUntil([&] { return g_display->transientFor(xb) == xo; }));
    EXPECT_TRUE(pumpUntil([&] {
        std::vector<std::string> state = g_display->netWmState(xb);
        return std::count(state.begin(), state.end(), "_NET_WM_STATE_MODAL") == 1;
    }));
    EXPECT_TRUE(sizeIs(xb, 260, 120));
    EXPECT_TRUE(pumpUntil([&] { return g_display->activeWindow() == xb; }));
    closeWindow(box);
    closeWindow(owner);
}

TEST(HostDesktop, ADragMovesTheWindowByThePointersDistanceAndAnEdgeSizesIt) {
    rt::Ref<RecordingWindow> w = makeWindow(400, 300, kNoCaption);
    callHost("window_set_prop", {w->handle, kLeft, 100});
    callHost("window_set_prop", {w->handle, kTop, 120});
    show(w, true);
    XWindowId x = clientOf(w, "dragged");
    ASSERT_NE(x, 0u);
    ASSERT_TRUE(pumpUntil([&] { return g_x->geometry(x) == XRect{100, 120, 400, 300}; }));

    // The press lands on the page, which asks the host to move its window.
    g_display->movePointer(300, 250);
    g_display->button1(true);
    callHost("window_drag", {w->handle});
    g_display->movePointer(330, 260);
    g_display->movePointer(345, 290);
    g_display->button1(false);
    EXPECT_TRUE(pumpUntil([&] {
        return g_x->geometry(x) == XRect{145, 160, 400, 300};
    })) << g_x->geometry(x).x
        << "," << g_x->geometry(x).y;
    EXPECT_TRUE(pumpUntil([&] {
        return callHost("window_get_prop", {w->handle, kLeft}).toInt() == 145 &&
               callHost("window_get_prop", {w->handle, kTop}).toInt() == 160;
    }));

    // From the bottom-right edge (code 8) the same gesture sizes the window instead.
    g_display->movePointer(540, 455);
    g_display->button1(true);
    callHost("window_resize", {w->handle, 8});
    g_display->movePointer(590, 495);
    g_display->button1(false);
    EXPECT_TRUE(pumpUntil([&] { return g_x->geometry(x) == XRect{145, 160, 450, 340}; }));
    EXPECT_TRUE(pumpUntil([&] {
        return w->has("on_size") &&
               callHost("window_get_prop", {w->handle, kWidth}).toInt() == 450 &&
               callHost("window_get_prop", {w->handle, kHeight}).toInt() == 340;
    }));
    // Without the button held there is nothing to follow: the call changes nothing.
    callHost("window_drag", {w->handle});
    g_display->movePointer(100, 100);
    EXPECT_EQ(g_x->geometry(x), (XRect{145, 160, 450, 340}));
    closeWindow(w);
}

}  // namespace
}  // namespace cefhx::testing

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return cefhx::testing::runHeadedHost("#36c", [] { return RUN_ALL_TESTS(); });
}
