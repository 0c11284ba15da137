#include "platform/cefhx/x11_pointer_drag.h"

#include <gtest/gtest.h>

namespace cefhx {
namespace {

constexpr XRect kStart{100, 50, 400, 300};

TEST(DraggedRect, AMoveKeepsTheSize) {
    EXPECT_EQ(draggedRect(kStart, MoveResize::Move, 30, -20, 100, 60), (XRect{130, 30, 400, 300}));
    EXPECT_EQ(draggedRect(kStart, MoveResize::Move, -500, -500, 100, 60),
              (XRect{-400, -450, 400, 300}));
}

TEST(DraggedRect, AnEdgeMovesOnlyItselfAndTheOppositeEdgeStaysPut) {
    EXPECT_EQ(draggedRect(kStart, MoveResize::Right, 50, 99, 100, 60), (XRect{100, 50, 450, 300}));
    EXPECT_EQ(draggedRect(kStart, MoveResize::Bottom, 99, 40, 100, 60), (XRect{100, 50, 400, 340}));
    EXPECT_EQ(draggedRect(kStart, MoveResize::Left, 50, 99, 100, 60), (XRect{150, 50, 350, 300}));
    EXPECT_EQ(draggedRect(kStart, MoveResize::Top, 99, -25, 100, 60), (XRect{100, 25, 400, 325}));
    EXPECT_EQ(draggedRect(kStart, MoveResize::TopLeft, -10, -10, 100, 60),
              (XRect{90, 40, 410, 310}));
    EXPECT_EQ(draggedRect(kStart, MoveResize::BottomRight, 10, 20, 100, 60),
              (XRect{100, 50, 410, 320}));
    EXPECT_EQ(draggedRect(kStart, MoveResize::TopRight, 10, 20, 100, 60),
              (XRect{100, 70, 410, 280}));
    EXPECT_EQ(draggedRect(kStart, MoveResize::BottomLeft, 10, 20, 100, 60),
              (XRect{110, 50, 390, 320}));
}

TEST(DraggedRect, SizingStopsAtTheSmallestSizeWithoutMovingTheFarEdge) {
    // Dragged far past the opposite edge: the window keeps the smallest size, its right and
    // bottom edges where they were.
    XRect r = draggedRect(kStart, MoveResize::TopLeft, 1000, 1000, 100, 60);
    EXPECT_EQ(r, (XRect{400, 290, 100, 60}));
    EXPECT_EQ(r.x + r.width, kStart.x + kStart.width);
    EXPECT_EQ(r.y + r.height, kStart.y + kStart.height);
    EXPECT_EQ(draggedRect(kStart, MoveResize::BottomRight, -1000, -1000, 100, 60),
              (XRect{100, 50, 100, 60}));
}

}  // namespace
}  // namespace cefhx
