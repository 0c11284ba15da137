#include "runtime/enum_info.h"

#include <gtest/gtest.h>

#include <vector>

#include "runtime/convert.h"
#include "runtime/exception.h"

namespace rt::testing_enums {

enum class MouseButtonType { MOUSE_LEFT, MOUSE_MIDDLE, MOUSE_RIGHT };

const EnumInfo& enumInfo(MouseButtonType) {
    static const EnumInfo& info =
        EnumInfo::define("test.MouseButtonType", {"MOUSE_LEFT", "MOUSE_MIDDLE", "MOUSE_RIGHT"});
    return info;
}

}  // namespace rt::testing_enums

namespace rt {
namespace {

using testing_enums::MouseButtonType;

const EnumInfo& info() {
    return enumInfo(MouseButtonType{});
}

std::string errorOf(std::string_view name, std::vector<Value> args) {
    try {
        info().create(name, args);
    } catch (const Exception& e) {
        return e.what();
    }
    return "no error";
}

TEST(EnumInfo, IndexAndArgumentCountOfNames) {
    EXPECT_EQ(info().indexOf("MOUSE_MIDDLE"), 1);
    EXPECT_EQ(info().indexOf("MOUSE_UP"), -1);
    EXPECT_EQ(info().argCount("MOUSE_RIGHT"), 0);
    EXPECT_EQ(info().argCount("MOUSE_UP"), -1);
    EXPECT_EQ(EnumInfo::find("test.MouseButtonType"), &info());
    EXPECT_EQ(EnumInfo::find("test.None"), nullptr);
}

TEST(EnumInfo, ValueByNameAndTextForm) {
    Value v = info().value("MOUSE_RIGHT");
    EXPECT_EQ(v.enumIndex(), 2);
    EXPECT_EQ(v.toInt(), 2);
    EXPECT_EQ(v.toString(), "MouseButtonType.MOUSE_RIGHT");
    EXPECT_TRUE(info().value("MOUSE_UP").isNull());
    EXPECT_EQ(v, info().create("MOUSE_RIGHT", {}));
    EXPECT_NE(v, info().value("MOUSE_LEFT"));
}

TEST(EnumInfo, CreateByNameRefusesUnknownNamesAndArguments) {
    EXPECT_EQ(errorOf("MOUSE_RIGHT", {Value(1)}), "Invalid Arg Count");
    EXPECT_EQ(errorOf("MOUSE_UP", {}), "Invalid constructor");
    EXPECT_EQ(errorOf("MOUSE_UP", {Value(1)}), "Invalid constructor");
}

TEST(EnumInfo, TypedEnumConvertsBothWays) {
    Value v = toValue(MouseButtonType::MOUSE_MIDDLE);
    EXPECT_EQ(v.toString(), "MouseButtonType.MOUSE_MIDDLE");
    EXPECT_EQ(fromValue<MouseButtonType>(v), MouseButtonType::MOUSE_MIDDLE);
    EXPECT_EQ(fromValue<MouseButtonType>(Value(2)), MouseButtonType::MOUSE_RIGHT);
    EXPECT_THROW(fromValue<MouseButtonType>(Value(3)), Exception);
    EXPECT_THROW(fromValue<MouseButtonType>(Value("MOUSE_LEFT")), Exception);
}

}  // namespace
}  // namespace rt
