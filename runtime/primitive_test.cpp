#include "runtime/primitive.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/builtin_primitives.h"
#include "runtime/class_builder.h"
#include "runtime/library_loader.h"
#include "runtime/value_scope.h"

namespace rt {
namespace {

// The test library lies beside this program as libcffiprobe.so.
using namespace std::string_literals;

constexpr const char* kProbe = "cffiprobe";

class Handler : public Object {
    RT_CLASS(Handler)
public:
    std::vector<std::string> calls;
    std::string onPlugMsg(const std::string& text) {
        calls.push_back("onPlugMsg:" + text);
        return "ok";
    }
    void fail() { throw Exception("handler failed"); }
};

const ClassInfo& Handler::staticClassInfo() {
    static const ClassInfo& info =
        ClassBuilder<Handler>("test.Handler").methods(RT_NAMED(Handler, onPlugMsg, fail)).build();
    return info;
}

TEST(Loader, ProgramExportsTheValueInterface) {
    void* self = dlopen(nullptr, RTLD_NOW);
    ASSERT_NE(self, nullptr);
    EXPECT_NE(dlsym(self, "hx_cffi"), nullptr);
    dlclose(self);
}

TEST(Loader, LibraryFileNames) {
    EXPECT_EQ(libraryFileNames("cefhx"), (std::vector<std::string>{"libcefhx.so"}));
    EXPECT_EQ(libraryFileNames("Zorbtools.dll"),
              (std::vector<std::string>{"Zorbtools.dll", "libZorbtools.so"}));
    EXPECT_EQ(libraryFileNames("libz.so"), (std::vector<std::string>{"libz.so"}));
    EXPECT_EQ(libraryFileNames("plugin/npPlug.dll"),
              (std::vector<std::string>{"plugin/npPlug.dll", "plugin/libnpPlug.so"}));
}

TEST(Loader, BindsAndCallsPrimitivesInTheProgramFolder) {
    Value describe = loadPrimitive(kProbe, "probe_describe", 1);
    ASSERT_TRUE(describe.isFunction());
    EXPECT_EQ(describe.call({7}), Value("255|7|7|1|7|1"));
    EXPECT_EQ(describe.call({Value()}), Value("0|0|0|0||0"));
    EXPECT_EQ(describe.call({2.75}), Value("1|2|2.75|1|2.75|4"));
    EXPECT_EQ(describe.call({"abc"}), Value("3|0|0|0|abc|3"));
    EXPECT_EQ(describe.call({true}), Value("2|1|1|1|true|4"));
    // The scope of each call is closed again.
    EXPECT_EQ(ValueScope::depth(), 0);
}

TEST(Loader, DllNameFindsTheSharedLibrary) {
    Value sum = loadPrimitive(std::string(kProbe) + ".dll", "probe_sum", 7);
    ASSERT_TRUE(sum.isFunction());
    EXPECT_EQ(sum.call({1, 2, 3, 4, 5, 6, 7}), Value(28));
    try {
        sum.call({1});
        FAIL() << "a call with the wrong argument count must raise";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(),
                     "Primitive cffiprobe.dll@probe_sum takes 7 arguments, called with 1");
    }
}

TEST(Loader, MissingLibraryRaisesCouldNotLoadModule) {
    try {
        loadPrimitive("NoSuchLibrary", "plug_create", 1);
        FAIL() << "a missing library must raise";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Could not load module NoSuchLibrary@plug_create");
    }
}

TEST(Loader, MissingExportIsReportedAndBindsNull) {
    testing::internal::CaptureStderr();
    Primitive p = Primitive::load(kProbe, "probe_absent", 2);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Could not find primitive probe_absent__2.\n");
    EXPECT_TRUE(p.isNull());
    try {
        p(1, 2);
        FAIL() << "calling a null primitive must raise";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Null primitive called: cffiprobe@probe_absent is not bound");
    }
    testing::internal::CaptureStderr();
    EXPECT_TRUE(loadPrimitive(kProbe, "probe_describe", 9).isNull());
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Could not find primitive probe_describe__MULT.\n");
}

TEST(Loader, BuiltinLibrariesResolveInsideTheRuntime) {
    static const BuiltinPrimitive twice(
        "std", "test_twice", 1, [](std::span<const Value> a) { return Value(a[0].toInt() * 2); });
    Primitive p = Primitive::load("std", "test_twice", 1);
    EXPECT_EQ(p(21), Value(42));
    testing::internal::CaptureStderr();
    EXPECT_TRUE(Primitive::load("regexp", "test_absent", 0).isNull());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Could not find primitive test_absent__0.\n");
}

TEST(Loader, LibraryCallsBackThroughTheValueInterface) {
    Value call = loadPrimitive(kProbe, "probe_call", 2);
    auto shout = Function::of(
        "shout", [](std::span<const Value> a) { return Value(std::string(a[0].str()) + "!"); });
    EXPECT_EQ(call.call({Value(shout), "hi"}), Value("hi!"));

    auto handler = make<Handler>();
    Value ocall = loadPrimitive(kProbe, "probe_ocall", 3);
    EXPECT_EQ(ocall.call({Value(handler), "onPlugMsg", "linked"}), Value("ok"));
    EXPECT_EQ(handler->calls, (std::vector<std::string>{"onPlugMsg:linked"}));
}

TEST(Loader, ExceptionInACallbackIsTracedAndAnsweredNull) {
    auto handler = make<Handler>();
    Value ocall = loadPrimitive(kProbe, "probe_ocall", 3);
    testing::internal::CaptureStdout();
    Value r = ocall.call({Value(handler), "fail", Value()});
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(r.isNull());
    EXPECT_NE(out.find(": handler failed\n"), std::string::npos) << out;
    testing::internal::CaptureStdout();
    r = ocall.call({Value(handler), "noSuchMember", 1});
    out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(r.isNull());
    EXPECT_NE(out.find("Class test.Handler has no member noSuchMember to call"), std::string::npos);
}

TEST(Loader, UnrootedObjectStaysValidWhileTheProgramHoldsIt) {
    auto handler = make<Handler>();
    loadPrimitive(kProbe, "probe_keep", 1).call({Value(handler)});
    int refsAfterKeep = handler->refCount();
    EXPECT_EQ(refsAfterKeep, 1);  // the library holds no reference
    loadPrimitive(kProbe, "probe_kept_call", 1).call({"onPlugMsg"});
    EXPECT_EQ(handler->calls.size(), 1u);
}

TEST(Loader, RecordBuiltByTheLibrary) {
    Value r = loadPrimitive(kProbe, "probe_make", 0).call({});
    EXPECT_EQ(r.toString(),
              "{ n : 5, f : 1.5, s : h\xc3\xa9llo, b : true, list : [1,two], raw : a\0b }"s);
    EXPECT_EQ(r.get("raw").asBytes()->data().size(), 3u);
    EXPECT_EQ(loadPrimitive(kProbe, "probe_fields", 1).call({r}),
              Value("n=5,f=1.5,s=h\xc3\xa9llo,b=true,list=[1,two],raw=a"));
}

TEST(Loader, AbstractHandlesCarryTheirKind) {
    Value handle = loadPrimitive(kProbe, "probe_handle", 1);
    Value check = loadPrimitive(kProbe, "probe_check", 1);
    EXPECT_EQ(check.call({handle.call({false})}), Value("1|0|1"));
    EXPECT_EQ(check.call({handle.call({true})}), Value("0|1|1"));
    EXPECT_EQ(check.call({"not a handle"}), Value("0|0|0"));
}

TEST(Loader, RootKeepsAValueAlivePastItsCall) {
    auto a = Array::of({1, 2});
    loadPrimitive(kProbe, "probe_root", 1).call({Value(a)});
    EXPECT_EQ(a->refCount(), 2);
    Value rooted = loadPrimitive(kProbe, "probe_rooted", 0).call({});
    EXPECT_EQ(rooted, Value(a));
    rooted = Value();
    a = nullptr;
    Value again = loadPrimitive(kProbe, "probe_rooted", 0).call({});
    EXPECT_EQ(again.toString(), "[1,2]");
    loadPrimitive(kProbe, "probe_root", 1).call({3.5});
    EXPECT_EQ(loadPrimitive(kProbe, "probe_rooted", 0).call({}), Value(3.5));
    loadPrimitive(kProbe, "probe_unroot", 0).call({});
}

TEST(Loader, WideStringsReplaceInvalidUtf8) {
    Value wide = loadPrimitive(kProbe, "probe_wide", 1);
    EXPECT_EQ(wide.call({"A\xc3\xa9\xf0\x9f\x98\x80"}).toString(), "[65,233,55357,56832]");
    EXPECT_EQ(wide.call({"a\xff"
                         "b"})
                  .toString(),
              "[97,65533,98]");
    EXPECT_EQ(wide.call({12}).toString(), "[49,50]");
    EXPECT_EQ(wide.call({Value()}).toString(), "[]");
}

}  // namespace
}  // namespace rt
