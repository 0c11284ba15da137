#include "platform/cefhx/x11_desktop.h"

#include <gtest/gtest.h>
// After gtest's headers, which use names Xlib defines as macros.
#include <X11/Xlib.h>

#include "platform/shared/x11_test_server.h"

namespace cefhx {
namespace {

// Whether the pixel (x, y) is inside the shape.
bool inside(const std::vector<XRect>& shape, int x, int y) {
    for (const XRect& r : shape) {
        if (x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height) return true;
    }
    return false;
}

TEST(RoundedShape, CutsTheFourCornersAndKeepsTheMiddle) {
    std::vector<XRect> shape = roundedShape(0, 0, 200, 100, 20, 20, 200, 100);
    for (auto [x, y] : {std::pair{0, 0}, {199, 0}, {0, 99}, {199, 99}, {1, 1}}) {
        EXPECT_FALSE(inside(shape, x, y)) << x << "," << y;
    }
    for (auto [x, y] : {std::pair{100, 0}, {0, 50}, {199, 50}, {100, 99}, {10, 10}}) {
        EXPECT_TRUE(inside(shape, x, y)) << x << "," << y;
    }
    // Rows of equal extent are merged, and the bands follow each other without gaps.
    EXPECT_LT(shape.size(), 30u);
    for (size_t i = 1; i < shape.size(); ++i) {
        EXPECT_EQ(shape[i].y, shape[i - 1].y + shape[i - 1].height);
    }
    // The corners mirror each other.
    EXPECT_EQ(shape.front().x, shape.back().x);
    EXPECT_EQ(shape.front().width, shape.back().width);
}

TEST(RoundedShape, IsClippedToTheWindowAndEmptyForAnEmptyRect) {
    // The program asks for one pixel more than the window on the right and bottom.
    std::vector<XRect> shape = roundedShape(0, 0, 301, 201, 0, 0, 300, 200);
    EXPECT_EQ(shape, (std::vector<XRect>{{0, 0, 300, 200}}));
    EXPECT_TRUE(roundedShape(50, 50, 50, 80, 10, 10, 300, 200).empty());
    EXPECT_TRUE(roundedShape(-10, -10, 400, 400, 10, 10, 0, 0).empty());
    // A corner larger than the rect is no more than round ends.
    std::vector<XRect> pill = roundedShape(0, 0, 100, 40, 1000, 1000, 100, 40);
    EXPECT_TRUE(inside(pill, 50, 0));
    EXPECT_FALSE(inside(pill, 0, 0));
}

TEST(ResizeDirection, FollowsTheBindingsEdgeCodes) {
    EXPECT_EQ(resizeDirection(1), MoveResize::Left);
    EXPECT_EQ(resizeDirection(2), MoveResize::Right);
    EXPECT_EQ(resizeDirection(3), MoveResize::Top);
    EXPECT_EQ(resizeDirection(4), MoveResize::TopLeft);
    EXPECT_EQ(resizeDirection(5), MoveResize::TopRight);
    EXPECT_EQ(resizeDirection(6), MoveResize::Bottom);
    EXPECT_EQ(resizeDirection(7), MoveResize::BottomLeft);
    // 8 and anything unknown: the bottom-right corner, as the binding sends for other names.
    EXPECT_EQ(resizeDirection(8), MoveResize::BottomRight);
    EXPECT_EQ(resizeDirection(0), MoveResize::BottomRight);
    EXPECT_EQ(resizeDirection(-3), MoveResize::BottomRight);
}

// A menu's window with a child, and a window elsewhere, on the test's own server (no window
// manager: the focus is set straight).
TEST(X11DesktopFocus, ReportsTheFocusLeavingAndComingBackInOrderAndNotMovesInsideTheWindow) {
    platform::test::sharedXvfb().exportDisplay();
    std::unique_ptr<X11Desktop> watch = X11Desktop::open();
    ASSERT_TRUE(watch);
    Display* d = XOpenDisplay(platform::test::sharedXvfb().display().c_str());
    ASSERT_NE(d, nullptr);
    const Window root = DefaultRootWindow(d);
    const Window menu = XCreateSimpleWindow(d, root, 0, 0, 100, 100, 0, 0, 0);
    const Window child = XCreateSimpleWindow(d, menu, 10, 10, 20, 20, 0, 0, 0);
    const Window other = XCreateSimpleWindow(d, root, 200, 0, 100, 100, 0, 0, 0);
    XMapWindow(d, child);
    XMapWindow(d, menu);
    XMapWindow(d, other);
    auto focus = [&](Window w) {
        XSetInputFocus(d, w, RevertToParent, CurrentTime);
        XSync(d, False);
    };
    focus(menu);
    watch->watchFocus(menu);
    EXPECT_TRUE(watch->hasFocus(menu));
    // Into its child: still inside, no change.
    focus(child);
    EXPECT_TRUE(watch->hasFocus(menu));
    EXPECT_TRUE(watch->focusChanges().empty());
    focus(other);
    EXPECT_FALSE(watch->hasFocus(menu));
    focus(menu);
    EXPECT_TRUE(watch->hasFocus(menu));
    EXPECT_EQ(watch->focusChanges(),
              (std::vector<X11Desktop::FocusChange>{{menu, false}, {menu, true}}));
    // A window nobody watches reports nothing.
    focus(other);
    focus(child);
    EXPECT_FALSE(watch->hasFocus(other));
    EXPECT_EQ(watch->focusChanges(),
              (std::vector<X11Desktop::FocusChange>{{menu, false}, {menu, true}}));
    XDestroyWindow(d, menu);
    XDestroyWindow(d, other);
    XCloseDisplay(d);
}

}  // namespace
}  // namespace cefhx
