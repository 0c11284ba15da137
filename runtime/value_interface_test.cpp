#include "runtime/value_interface.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/c_value.h"
#include "runtime/cffi/hx_cffi.h"
#include "runtime/class_builder.h"
#include "runtime/enum_info.h"
#include "runtime/value_scope.h"

namespace rt {
namespace {

template <class Fn>
Fn api(const char* name) {
    void* f = morvick_hx_cffi(name);
    if (!f) throw std::runtime_error(std::string("no interface function ") + name);
    return reinterpret_cast<Fn>(f);
}

#define API(name) api<name##_fn>(#name)

class Point : public Object {
    RT_CLASS(Point)
public:
    static int32_t count;
    int32_t x = 1;
    double y = 2.5;
    Value onEvent;
    std::string get_label() const { return "P" + std::to_string(x); }
    std::string set_label(const std::string& s) {
        x = static_cast<int32_t>(s.size());
        return s;
    }
    int32_t add(int32_t a, int32_t b) { return x + a + b; }
};

int32_t Point::count = 3;

const ClassInfo& Point::staticClassInfo() {
    static const ClassInfo& info = ClassBuilder<Point>("test.Point")
                                       .fields(RT_NAMED(Point, x, y, onEvent))
                                       .property("label", &Point::get_label, &Point::set_label)
                                       .method("add", &Point::add)
                                       .staticField("count", &Point::count)
                                       .build();
    return info;
}

const EnumInfo& keyType() {
    static const EnumInfo& info = EnumInfo::define("test.KeyType", {"KEY_UP", "KEY_DOWN"});
    return info;
}

class ValueInterface : public ::testing::Test {
protected:
    ValueScope scope;  // as a primitive call or a loop dispatch would have
};

TEST_F(ValueInterface, UnknownNameAnswersNull) {
    EXPECT_EQ(morvick_hx_cffi("val_nothing"), nullptr);
    EXPECT_EQ(morvick_hx_cffi(nullptr), nullptr);
    EXPECT_NE(morvick_hx_cffi("hx_fail"), nullptr);
}

struct Sample {
    const char* what;
    Value v;
    int type;
    int asInt;
    const char* asString;
    int arraySize;
};

TEST_F(ValueInterface, EveryReaderIsDefinedForEveryType) {
    int data = 0;
    std::vector<Sample> samples = {
        {"null", Value(), valtNull, 0, "", 0},
        {"bool", Value(true), valtBool, 1, "true", 0},
        {"int", Value(-7), valtInt, -7, "-7", 0},
        {"float", Value(4294967301.75), valtFloat, 5, "4294967301.75", 0},
        {"string", Value("x1"), valtString, 0, "x1", 0},
        {"record", Value(Record::of({{"a", 1}})), valtObject, 0, "{ a : 1 }", 0},
        {"array", Value(Array::of({1, 2, 3})), valtArray, 0, "[1,2,3]", 3},
        {"function", Value(Function::of("f", [](std::span<const Value>) { return Value(); })),
         valtFunction, 0, "#function f", 0},
        {"abstract", Value(make<Abstract>(nullptr, &data)), valtAbstract, 0, "#abstract", 0},
        {"object", Value(make<Point>()), valtClassInstance, 0, "test.Point", 0},
        {"bytes", Value(Bytes::of("by")), valtBytes, 0, "by", 0},
        {"class", Value::ofClass(Point::staticClassInfo()), valtClassInstance, 0, "test.Point", 0},
        {"enum", keyType().value("KEY_DOWN"), valtClassInstance, 1, "KeyType.KEY_DOWN", 0},
    };
    for (const Sample& s : samples) {
        SCOPED_TRACE(s.what);
        value v = toC(s.v);
        EXPECT_EQ(API(val_type)(v), s.type);
        EXPECT_EQ(API(val_int)(v), s.asInt);
        ASSERT_NE(API(val_string)(v), nullptr);
        EXPECT_STREQ(API(val_string)(v), s.asString);
        EXPECT_EQ(API(val_strlen)(v), static_cast<int>(std::string(s.asString).size()));
        ASSERT_NE(API(val_wstring)(v), nullptr);
        EXPECT_EQ(std::u16string(API(val_wstring)(v)).size(), std::string(s.asString).size());
        EXPECT_EQ(API(val_array_size)(v), s.arraySize);
        EXPECT_NE(API(val_bytes_data)(v), nullptr);
        EXPECT_GE(API(val_bytes_len)(v), 0);
        EXPECT_EQ(API(val_to_kind)(v, nullptr) != nullptr, s.v.type() == ValueType::Abstract);
        EXPECT_EQ(API(val_data)(v), s.v.type() == ValueType::Abstract ? &data : nullptr);
        EXPECT_EQ(API(val_type)(API(val_array_i)(v, 0)), s.arraySize ? valtInt : valtNull);
        API(val_iter_fields)
        (
            v, [](value, int, void*) {}, nullptr);
    }
    // A null pointer reads as null everywhere.
    EXPECT_EQ(API(val_type)(nullptr), valtNull);
    EXPECT_STREQ(API(val_string)(nullptr), "");
    EXPECT_EQ(API(val_float)(nullptr), 0.0);
}

TEST_F(ValueInterface, ReferenceValuesAreTheObjectsOwnAddress) {
    auto a = Array::of({1});
    auto p = make<Point>();
    value va = toC(Value(a));
    EXPECT_EQ(va, toC(Value(a)));
    EXPECT_EQ(reinterpret_cast<void*>(va), static_cast<void*>(a.get()));
    EXPECT_EQ(toC(Value(p)), toC(Value(p)));
    value arr = API(alloc_array)(2);
    EXPECT_EQ(API(val_array_size)(arr), 2);
    API(val_array_set_i)(arr, 4, toC(Value(p)));
    EXPECT_EQ(API(val_array_size)(arr), 5);
    EXPECT_EQ(API(val_array_i)(arr, 4), toC(Value(p)));
    EXPECT_EQ(API(val_array_i)(arr, 9), API(alloc_null)());
}

TEST_F(ValueInterface, FieldsOfRecordsObjectsAndClasses) {
    int idX = API(val_id)("x");
    EXPECT_EQ(API(val_id)("x"), idX);
    EXPECT_STREQ(API(val_field_name)(idX), "x");
    EXPECT_STREQ(API(val_field_name)(-5), "");

    auto p = make<Point>();
    value vp = toC(Value(p));
    EXPECT_EQ(API(val_int)(API(val_field)(vp, idX)), 1);
    API(alloc_field)(vp, idX, API(alloc_float)(9.9));  // converted to the field's Int
    EXPECT_EQ(p->x, 9);
    EXPECT_STREQ(API(val_string)(API(val_field)(vp, API(val_id)("label"))), "P9");
    API(alloc_field)(vp, API(val_id)("label"), API(alloc_string)("four"));
    EXPECT_EQ(p->x, 4);
    EXPECT_EQ(API(val_type)(API(val_field)(vp, API(val_id)("missing"))), valtNull);
    EXPECT_EQ(API(val_type)(API(val_field)(API(alloc_int)(3), idX)), valtNull);

    value cls = toC(Value::ofClass(Point::staticClassInfo()));
    EXPECT_EQ(API(val_int)(API(val_field)(cls, API(val_id)("count"))), 3);
    API(alloc_field)(cls, API(val_id)("count"), API(alloc_int)(8));
    EXPECT_EQ(Point::count, 8);

    std::string listed;
    API(val_iter_fields)
    (
        vp,
        [](value field, int id, void* cookie) {
            auto* out = static_cast<std::string*>(cookie);
            *out += std::string(API(val_field_name)(id)) + "=" + fromC(field).toString() + ";";
        },
        &listed);
    EXPECT_EQ(listed, "x=4;y=2.5;onEvent=null;");
}

TEST_F(ValueInterface, WritingAMissingMemberIsTracedNotThrown) {
    testing::internal::CaptureStdout();
    API(alloc_field)(toC(Value(make<Point>())), API(val_id)("nope"), API(alloc_int)(1));
    API(alloc_field)(API(alloc_int)(1), API(val_id)("nope"), API(alloc_int)(1));
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("Class test.Point has no member nope to write"), std::string::npos) << out;
    EXPECT_NE(out.find("Cannot write field nope of a value of type Int"), std::string::npos) << out;
}

TEST_F(ValueInterface, CallsFunctionsAndMembers) {
    auto join = Function::of("join", [](std::span<const Value> a) {
        std::string s;
        for (const Value& v : a) s += v.toString();
        return Value(s);
    });
    value f = toC(Value(join));
    value a = API(alloc_string)("a");
    EXPECT_STREQ(API(val_string)(API(val_call0)(f)), "");
    EXPECT_STREQ(API(val_string)(API(val_call3)(f, a, API(alloc_int)(1), API(alloc_bool)(0))),
                 "a1false");
    value many[] = {a, a, a, a, a, a};
    EXPECT_STREQ(API(val_string)(API(val_callN)(f, many, 6)), "aaaaaa");

    auto p = make<Point>();
    value vp = toC(Value(p));
    EXPECT_EQ(
        API(val_int)(API(val_ocall2)(vp, API(val_id)("add"), API(alloc_int)(2), API(alloc_int)(3))),
        6);
    p->onEvent = Value(join);
    EXPECT_STREQ(API(val_string)(API(val_ocall1)(vp, API(val_id)("onEvent"), a)), "a");
    value rec = toC(Value(Record::of({{"cb", Value(join)}})));
    EXPECT_STREQ(API(val_string)(API(val_ocallN)(rec, API(val_id)("cb"), many, 2)), "aa");
}

TEST_F(ValueInterface, FailedCallsAreTracedAndAnswerNull) {
    auto thrower = Function::of(
        "thrower", [](std::span<const Value>) -> Value { throw Exception("bad game text"); });
    testing::internal::CaptureStdout();
    value r1 = API(val_call1)(toC(Value(thrower)), API(alloc_null)());
    value r2 = API(val_call0)(API(alloc_int)(5));
    value r3 = API(val_ocall0)(API(alloc_null)(), API(val_id)("x"));
    value r4 = API(val_callN)(toC(Value(thrower)), nullptr, 2);
    std::string out = testing::internal::GetCapturedStdout();
    for (value r : {r1, r2, r3, r4}) EXPECT_EQ(API(val_type)(r), valtNull);
    EXPECT_NE(out.find("value_interface.cpp:"), std::string::npos);
    EXPECT_NE(out.find(": bad game text\n"), std::string::npos) << out;
    EXPECT_NE(out.find(": Cannot call a value of type Int\n"), std::string::npos) << out;
    EXPECT_NE(out.find(": Cannot call member x of a value of type null\n"), std::string::npos)
        << out;
    EXPECT_NE(out.find(": Argument array is null but its count is 2\n"), std::string::npos) << out;
}

TEST_F(ValueInterface, AllocatorsMakeTheirTypes) {
    EXPECT_EQ(API(val_type)(API(alloc_bool)(2)), valtBool);
    EXPECT_EQ(API(val_bool)(API(alloc_bool)(2)), 1);
    EXPECT_EQ(API(val_float)(API(alloc_float)(0.5)), 0.5);
    EXPECT_EQ(API(val_type)(API(alloc_string)(nullptr)), valtNull);
    value s = API(alloc_string_len)("abcdef", 3);
    EXPECT_STREQ(API(val_string)(s), "abc");
    EXPECT_EQ(API(val_strlen)(API(alloc_string_len)("a\0b", 3)), 3);
    const unsigned char raw[] = {0, 255, 7};
    value b = API(alloc_bytes)(raw, 3);
    ASSERT_EQ(API(val_bytes_len)(b), 3);
    EXPECT_EQ(API(val_bytes_data)(b)[1], 255);
    EXPECT_EQ(API(val_array_size)(API(alloc_array)(-3)), 0);
    EXPECT_EQ(API(val_type)(API(alloc_empty_object)()), valtObject);
    int tag = 0;
    value h = API(alloc_abstract)(reinterpret_cast<vkind>(&tag), &tag);
    EXPECT_EQ(API(val_to_kind)(h, reinterpret_cast<vkind>(&tag)), reinterpret_cast<vkind>(&tag));
    EXPECT_EQ(API(val_to_kind)(h, nullptr), nullptr);
}

TEST_F(ValueInterface, ScopeKeepsMadeValuesUntilItCloses) {
    Ref<StringData> made;
    morvick_value_scope_open();
    value s = API(alloc_string)("kept");
    made = Ref<StringData>(reinterpret_cast<StringData*>(s));
    EXPECT_EQ(made->refCount(), 2);
    const char16_t* wide = API(val_wstring)(s);
    EXPECT_EQ(std::u16string(wide), u"kept");
    morvick_value_scope_close();
    EXPECT_EQ(made->refCount(), 1);
    morvick_value_scope_close();  // unbalanced closes are ignored
    morvick_value_scope_open();   // reopen what the fixture's scope expects to close
}

TEST(ValueInterfaceDeath, FailPrintsAndEndsTheProcessAtOnce) {
    EXPECT_EXIT(API(hx_fail)("invalid kind", "Lib.cpp", 42), ::testing::ExitedWithCode(1),
                "Lib.cpp:42: invalid kind");
}

}  // namespace
}  // namespace rt
