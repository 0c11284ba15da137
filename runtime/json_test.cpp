#include "runtime/json.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "runtime/array.h"
#include "runtime/class_builder.h"
#include "runtime/function.h"
#include "runtime/name_table.h"
#include "runtime/record.h"

namespace rt {
namespace json_test {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

std::vector<std::string> fieldNames(const Value& value) {
    std::vector<std::string> names;
    for (const Record::Field& field : value.asRecord()->fields()) names.push_back(nameOf(field.id));
    return names;
}

TEST(JsonTest, RecordsKeepTheOrderOfTheText) {
    const Value parsed = Json::parse(R"({"zeta":1,"alpha":{"m":1,"b":2,"x":3},"mid":[]})");
    EXPECT_THAT(fieldNames(parsed), ElementsAre("zeta", "alpha", "mid"));
    EXPECT_THAT(fieldNames(parsed.get("alpha")), ElementsAre("m", "b", "x"));
    EXPECT_EQ(Json::stringify(parsed), R"({"zeta":1,"alpha":{"m":1,"b":2,"x":3},"mid":[]})");
}

TEST(JsonTest, IntegersWithin32BitsAreIntAndOtherNumbersFloat) {
    const Value parsed =
        Json::parse("[0,-2147483648,2147483647,2147483648,3000000000,1.0,1e3,0.5]");
    const Ref<Array> numbers = parsed.asArray();
    ASSERT_EQ(numbers->size(), 8);
    EXPECT_TRUE(numbers->get(0).isInt());
    EXPECT_EQ(numbers->get(1).toInt(), std::numeric_limits<int32_t>::min());
    EXPECT_TRUE(numbers->get(1).isInt());
    EXPECT_TRUE(numbers->get(2).isInt());
    EXPECT_TRUE(numbers->get(3).isFloat());
    EXPECT_EQ(numbers->get(3).toFloat(), 2147483648.0);
    EXPECT_TRUE(numbers->get(4).isFloat());
    EXPECT_TRUE(numbers->get(5).isFloat());
    EXPECT_TRUE(numbers->get(6).isFloat());
    EXPECT_EQ(numbers->get(7).toFloat(), 0.5);
}

TEST(JsonTest, StringsAreDecodedToUtf8AndEscapedBack) {
    const Value parsed = Json::parse(R"(["a\"b\\c\/d\n\t", "\u00e9\u4e2d\ud83c\udca1", "\u0001"])");
    const Ref<Array> texts = parsed.asArray();
    EXPECT_EQ(texts->get(0).str(), "a\"b\\c/d\n\t");
    EXPECT_EQ(texts->get(1).str(), "\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x82\xA1");
    EXPECT_EQ(Json::stringify(parsed),
              "[\"a\\\"b\\\\c/d\\n\\t\",\"\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x82\xA1\",\"\\u0001\"]");
}

TEST(JsonTest, ScalarsAndNullRoundTrip) {
    for (const char* text :
         {"null", "true", "false", "12", "1.5", "0.1", "-3", "\"x\"", "[]", "{}"}) {
        EXPECT_EQ(Json::stringify(Json::parse(text)), text);
    }
    EXPECT_EQ(Json::stringify(Value(std::nan(""))), "null");
    EXPECT_EQ(Json::stringify(Value(std::numeric_limits<double>::infinity())), "null");
}

TEST(JsonTest, KeysWithNulAndNegativeZeroReadBackAsWritten) {
    const std::string key("a\0b", 3);
    auto record = make<Record>();
    record->set(key, 1);
    record->set("a", 2);
    record->set("z", -0.0);
    const std::string text = Json::stringify(Value(record));
    EXPECT_EQ(text, std::string("{\"a\\u0000b\":1,\"a\":2,\"z\":-0.0}"));
    const Value back = Json::parse(text);
    ASSERT_TRUE(back.asRecord());
    EXPECT_EQ(back.asRecord()->size(), 3);
    EXPECT_EQ(back.get(key), Value(1));
    EXPECT_EQ(back.get("a"), Value(2));
    ASSERT_TRUE(back.get("z").isFloat());
    EXPECT_TRUE(std::signbit(back.get("z").toFloat()));
    EXPECT_EQ(Json::stringify(Value(0.0)), "0");
}

TEST(JsonTest, BrokenTextIsRejected) {
    for (const char* text : {"", "{", "[1,]", "{\"a\":1} x", "{'a':1}", "[1] // note"}) {
        EXPECT_THROW(Json::parse(text), JsonError) << text;
    }
    try {
        Json::parse("{\"a\":}");
        FAIL();
    } catch (const JsonError& error) {
        EXPECT_THAT(error.what(), HasSubstr("Could not parse JSON"));
    }
}

TEST(JsonTest, RecordsWriteFieldsInInsertionOrderAndLeaveFunctionsOut) {
    auto record = make<Record>();
    record->set("type", Value("game"));
    record->set("tag", Value("alert"));
    record->set("callback",
                Value(make<Function>("f", [](std::span<const Value>) { return Value(); })));
    record->set("body", Value(Array::of({Value(1), Value(), Value(true)})));
    EXPECT_EQ(Json::stringify(Value(record)),
              R"({"type":"game","tag":"alert","body":[1,null,true]})");
}

TEST(JsonTest, AValueThatContainsItselfIsAnError) {
    auto array = make<Array>();
    array->push(Value(1));
    array->push(Value(array));
    EXPECT_THROW(Json::stringify(Value(array)), JsonError);
    array->items().clear();

    // The same record twice side by side is not a cycle.
    auto shared = Record::of({{"a", Value(1)}});
    EXPECT_EQ(Json::stringify(Value(Array::of({Value(shared), Value(shared)}))),
              R"([{"a":1},{"a":1}])");
}

class Seat : public Object {
    RT_CLASS(Seat)
public:
    int32_t table = 0;
    std::string name;
    bool ready = false;
};

const ClassInfo& Seat::staticClassInfo() {
    static const ClassInfo& info =
        ClassBuilder<Seat>("test.json.Seat").fields(RT_NAMED(Seat, table, name, ready)).build();
    return info;
}

TEST(JsonTest, ObjectsWriteTheirFieldsInDeclarationOrder) {
    auto seat = make<Seat>();
    seat->table = 7;
    seat->name = "east";
    EXPECT_EQ(Json::stringify(Value(seat)), R"({"table":7,"name":"east","ready":false})");
}

}  // namespace json_test
}  // namespace rt
