#include "runtime/value.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "runtime/array.h"
#include "runtime/bytes.h"
#include "runtime/exception.h"
#include "runtime/function.h"
#include "runtime/record.h"

namespace rt {
namespace {

TEST(Value, NullReadsAsFalseZeroAndNull) {
    Value v;
    EXPECT_TRUE(v.isNull());
    EXPECT_FALSE(v.toBool());
    EXPECT_EQ(v.toInt(), 0);
    EXPECT_EQ(v.toFloat(), 0.0);
    EXPECT_EQ(v.toString(), "null");
}

TEST(Value, TextFormsOfScalars) {
    EXPECT_EQ(Value(true).toString(), "true");
    EXPECT_EQ(Value(false).toString(), "false");
    EXPECT_EQ(Value(1).toString(), "1");
    EXPECT_EQ(Value(-42).toString(), "-42");
    EXPECT_EQ(Value(1.0).toString(), "1");
    EXPECT_EQ(Value(1.5).toString(), "1.5");
    EXPECT_EQ(Value(-0.25).toString(), "-0.25");
    EXPECT_EQ(Value(0.1).toString(), "0.1");
    EXPECT_EQ(Value(std::nan("")).toString(), "NaN");
    EXPECT_EQ(Value(std::numeric_limits<double>::infinity()).toString(), "Infinity");
    EXPECT_EQ(Value("héllo").toString(), "héllo");
}

TEST(Value, FloatToIntTruncatesThroughSixtyFourBits) {
    EXPECT_EQ(Value(2.9).toInt(), 2);
    EXPECT_EQ(Value(-2.9).toInt(), -2);
    // 2^32 + 5 keeps its low 32 bits.
    EXPECT_EQ(Value(4294967301.0).toInt(), 5);
    // 2^31 wraps to the most negative Int.
    EXPECT_EQ(Value(2147483648.0).toInt(), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(Value(-4294967297.0).toInt(), -1);
    EXPECT_EQ(Value(std::nan("")).toInt(), 0);
    EXPECT_EQ(Value(1e300).toInt(), 0);
}

TEST(Value, BoolAndNumberConversions) {
    EXPECT_EQ(Value(true).toInt(), 1);
    EXPECT_EQ(Value(true).toFloat(), 1.0);
    EXPECT_TRUE(Value(3).toBool());
    EXPECT_FALSE(Value(0).toBool());
    EXPECT_TRUE(Value(0.5).toBool());
    EXPECT_EQ(Value(7).toFloat(), 7.0);
    EXPECT_FALSE(Value("true").toBool());
    EXPECT_EQ(Value("12").toInt(), 0);
}

TEST(Value, CharPointerIsTextNotBool) {
    Value v("abc");
    EXPECT_TRUE(v.isString());
    EXPECT_EQ(v.str(), "abc");
    char buf[] = "xy";
    EXPECT_EQ(Value(buf), Value("xy"));
}

TEST(Value, TextFormsOfContainers) {
    auto inner = Array::of({1, "x"});
    auto r = Record::of({{"a", 1}, {"b", Value(inner)}, {"c", Value()}});
    EXPECT_EQ(Value(inner).toString(), "[1,x]");
    EXPECT_EQ(Value(r).toString(), "{ a : 1, b : [1,x], c : null }");
    EXPECT_EQ(Value(make<Record>()).toString(), "{}");
    EXPECT_EQ(Value(Bytes::of("raw")).toString(), "raw");
}

TEST(Value, ArrayHoldingItselfPrintsWithoutEndlessRecursion) {
    auto a = make<Array>();
    a->push(Value(a));
    EXPECT_NE(Value(a).toString().find("..."), std::string::npos);
    a->items().clear();  // break the cycle so the array is freed
}

TEST(Value, Equality) {
    EXPECT_EQ(Value(), Value());
    EXPECT_EQ(Value(1), Value(1.0));
    EXPECT_NE(Value(1), Value(true));
    EXPECT_EQ(Value("a"), Value(std::string("a")));
    EXPECT_NE(Value("a"), Value("b"));
    EXPECT_NE(Value(), Value(0));
    EXPECT_EQ(Value(Bytes::of("xy")), Value(Bytes::of("xy")));
    auto a = Array::of({1});
    EXPECT_EQ(Value(a), Value(a));
    EXPECT_NE(Value(a), Value(Array::of({1})));
}

TEST(Value, SharesReferenceObjects) {
    auto a = Array::of({});
    Value v1(a);
    Value v2 = v1;
    v2.asArray()->push(5);
    EXPECT_EQ(a->size(), 1);
    EXPECT_EQ(v1.asArray()->get(0), Value(5));
    EXPECT_EQ(a->refCount(), 3);
    v1 = Value();
    EXPECT_EQ(a->refCount(), 2);
}

TEST(Value, ArrayGrowsOnWritePastItsEnd) {
    auto a = make<Array>();
    a->set(2, "z");
    EXPECT_EQ(a->size(), 3);
    EXPECT_TRUE(a->get(0).isNull());
    EXPECT_TRUE(a->get(7).isNull());
    EXPECT_TRUE(a->get(-1).isNull());
    a->set(-1, 1);
    EXPECT_EQ(a->size(), 3);
}

TEST(Value, RecordKeepsInsertionOrderAndOverwritesInPlace) {
    auto r = make<Record>();
    r->set("z", 1);
    r->set("a", 2);
    r->set("z", 3);
    ASSERT_EQ(r->size(), 2);
    EXPECT_EQ(Value(r).toString(), "{ z : 3, a : 2 }");
    EXPECT_TRUE(r->remove("z"));
    EXPECT_FALSE(r->remove("z"));
    EXPECT_TRUE(Value(r).get("z").isNull());
    EXPECT_EQ(Value(r).get("a"), Value(2));
}

TEST(Value, CallsFunctionsAndRefusesOtherValues) {
    auto add = Function::of("add", [](std::span<const Value> args) {
        return Value(args[0].toInt() + args[1].toInt());
    });
    EXPECT_EQ(Value(add).call({2, 3}), Value(5));
    try {
        Value().call({});
        FAIL() << "calling null must raise";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Cannot call a value of type null (null function)");
    }
}

TEST(Value, RecordMembersByName) {
    auto r = make<Record>();
    Value v(r);
    EXPECT_EQ(v.set("n", 4), Value(4));
    EXPECT_EQ(v.get("n"), Value(4));
    v.set("f",
          Value(Function::of("f", [](std::span<const Value> a) { return Value(a.size() == 1); })));
    EXPECT_EQ(v.callMember("f", {Value()}), Value(true));
    EXPECT_THROW(v.callMember("n", {}), Exception);
    EXPECT_TRUE(Value(5).get("n").isNull());
    EXPECT_THROW(Value(5).set("n", 1), Exception);
}

TEST(Value, WeakReferenceReadsNullOnceTargetIsGone) {
    WeakRef<Array> weak;
    {
        auto a = Array::of({1});
        weak = WeakRef<Array>(a);
        Ref<Array> locked = weak.lock();
        ASSERT_TRUE(locked);
        EXPECT_EQ(locked->size(), 1);
    }
    EXPECT_FALSE(weak.lock());
}

TEST(Exception, CarriesItsValue) {
    Exception e(Value(42));
    EXPECT_EQ(e.value(), Value(42));
    EXPECT_STREQ(e.what(), "42");
}

}  // namespace
}  // namespace rt
