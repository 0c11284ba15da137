#include "lobby/bindings/cef/size.h"

#include <gtest/gtest.h>

#include "lobby/bindings/cef/rect.h"
#include "runtime/class_info.h"
#include "runtime/create.h"

namespace cef {
namespace {

TEST(SizeTest, WidthComesFirstInEveryCreationForm) {
    rt::Ref<Size> size = rt::create<Size>(10.0, 20.0);
    EXPECT_EQ(size->width, 10);
    EXPECT_EQ(size->height, 20);
    rt::Value byName = rt::ClassInfo::createByName("cef.Size", std::vector<rt::Value>{10, nullptr});
    EXPECT_EQ(byName.get("width"), rt::Value(10.0));
    EXPECT_EQ(byName.get("height"), rt::Value(0.0));
    byName.set("height", 7);
    EXPECT_TRUE(byName.get("height").isFloat());
    EXPECT_EQ(Size::staticClassInfo().fields(), (std::vector<std::string>{"height", "width"}));
}

TEST(RectTest, PositionComesBeforeSizeAndFieldsAreIntegers) {
    rt::Ref<Rect> rect = rt::create<Rect>(1, 2, 3, 4);
    EXPECT_EQ(rect->x, 1);
    EXPECT_EQ(rect->y, 2);
    EXPECT_EQ(rect->width, 3);
    EXPECT_EQ(rect->height, 4);
    rt::Value byName = rt::ClassInfo::createByName("cef.Rect", std::vector<rt::Value>{5, 6});
    EXPECT_EQ(byName.get("y"), rt::Value(6));
    EXPECT_EQ(byName.get("height"), rt::Value(0));
    byName.set("x", 2.7);
    EXPECT_TRUE(byName.get("x").isInt());
    EXPECT_EQ(Rect::staticClassInfo().fields(),
              (std::vector<std::string>{"height", "width", "y", "x"}));
}

}  // namespace
}  // namespace cef
