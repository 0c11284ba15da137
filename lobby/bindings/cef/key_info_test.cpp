#include "lobby/bindings/cef/key_info.h"

#include <gtest/gtest.h>

#include "lobby/bindings/cef/init_classes.h"
#include "lobby/bindings/cef/key_type.h"
#include "lobby/bindings/cef/mouse_button_type.h"
#include "lobby/bindings/cef/paint_element_type.h"
#include "lobby/bindings/fake_host.h"
#include "runtime/class_info.h"
#include "runtime/enum_info.h"
#include "runtime/exception.h"

namespace cef {
namespace {

TEST(KeyInfoTest, ByNameCreationTakesKeySystemAndImeInThatOrder) {
    rt::Value key = rt::ClassInfo::createByName("cef.KeyInfo", std::vector<rt::Value>{65, true});
    EXPECT_EQ(key.get("key"), rt::Value(65));
    EXPECT_EQ(key.get("sysChar"), rt::Value(true));
    EXPECT_EQ(key.get("imeChar"), rt::Value(false));
    key.set("key", 66.9);
    EXPECT_EQ(key.get("key"), rt::Value(66));
    EXPECT_EQ(KeyInfo::staticClassInfo().fields(),
              (std::vector<std::string>{"imeChar", "sysChar", "key"}));
}

TEST(InputEnumTest, EnumerationsAreFoundByNameAfterClassInitialisation) {
    bindings::FakeHost host;
    const rt::EnumInfo* buttons = rt::EnumInfo::find("cef.MouseButtonType");
    ASSERT_NE(buttons, nullptr);
    ASSERT_NE(rt::EnumInfo::find("cef.KeyType"), nullptr);
    const rt::EnumInfo* paint = rt::EnumInfo::find("cef.PaintElementType");
    ASSERT_NE(paint, nullptr);
    EXPECT_EQ(paint->indexOf("PET_POPUP"), 1);
    EXPECT_EQ(paint->value("PET_VIEW").toString(), "PaintElementType.PET_VIEW");
    EXPECT_EQ(buttons->argCount("MOUSE_MIDDLE"), 0);
    EXPECT_EQ(buttons->create("MOUSE_RIGHT", {}).enumIndex(),
              static_cast<int>(MouseButtonType::MOUSE_RIGHT));
    std::vector<rt::Value> one{1};
    EXPECT_THROW(
        {
            try {
                buttons->create("MOUSE_RIGHT", one);
            } catch (const rt::Exception& e) {
                EXPECT_STREQ(e.what(), "Invalid Arg Count");
                throw;
            }
        },
        rt::Exception);
    EXPECT_THROW(
        {
            try {
                buttons->create("KEY_UP", {});
            } catch (const rt::Exception& e) {
                EXPECT_STREQ(e.what(), "Invalid constructor");
                throw;
            }
        },
        rt::Exception);
}

}  // namespace
}  // namespace cef
