#include "lobby/bindings/cef/cef_app.h"

#include <gtest/gtest.h>

#include <map>

#include "lobby/bindings/cef/cef_browser_settings.h"
#include "lobby/bindings/cef/cef_settings.h"
#include "lobby/bindings/cef/cef_window.h"
#include "lobby/bindings/cef/init_classes.h"
#include "lobby/bindings/fake_host.h"
#include "lobby/bindings/primitive_binder.h"
#include "runtime/class_info.h"
#include "runtime/create.h"
#include "runtime/exception.h"
#include "runtime/function.h"

namespace cef {
namespace {

rt::Value counter(int& n) {
    return rt::Function::of("counter", [&n](std::span<const rt::Value>) {
        ++n;
        return rt::Value();
    });
}

TEST(CefAppTest, MainRunsTheLoopOnceAndCallsTheReadyFunction) {
    bindings::FakeHost host;
    int ready = 0;
    host.answer("cef_app_main", [](std::span<const rt::Value> args) {
        args[0].call({});
        return rt::Value();
    });
    rt::Ref<CefSettings> settings = rt::create<CefSettings>();
    CefApp::main(counter(ready), settings);

    EXPECT_EQ(ready, 1);
    EXPECT_TRUE(CefApp::sIsInit);
    ASSERT_EQ(host.count("cef_app_setglobalapp"), 1);
    EXPECT_EQ(host.calls("cef_app_setglobalapp")[0].args[0].asClass(), &CefApp::staticClassInfo());
    EXPECT_EQ(host.calls("cef_app_main")[0].args[1], rt::Value(settings));

    try {
        CefApp::main(counter(ready), settings);
        FAIL() << "a second main must raise";
    } catch (const rt::Exception& e) {
        EXPECT_NE(std::string(e.what()).find("cef.App.main called multiple times"),
                  std::string::npos);
    }
    EXPECT_EQ(host.count("cef_app_main"), 1);
}

TEST(CefAppTest, QuitRunsOnQuitAndEndsTheLoopOnlyOnce) {
    bindings::FakeHost host;
    int quits = 0;
    CefApp::onQuit = counter(quits);
    CefApp::quit();
    CefApp::quit();
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(host.count("cef_app_quit"), 1);
    EXPECT_TRUE(CefApp::isQuit);
}

TEST(CefAppTest, QuitWithoutOnQuitOrLoopStillEndsTheLoop) {
    bindings::FakeHost host;
    CefApp::quit();
    EXPECT_TRUE(CefApp::isQuit);
    EXPECT_FALSE(CefApp::sIsInit);
    EXPECT_EQ(host.count("cef_app_quit"), 1);
}

TEST(CefAppTest, FilterPathsAreEncodedKeepingDriveSeparatorsAndParentheses) {
    bindings::FakeHost host;
    CefApp::setFilterResourcePath(rt::Array::of(
        {"C:\\Program Files (x86)\\Morvick\\res dir", "", nullptr, "/srv/a b/lobby.swf"}));
    ASSERT_EQ(host.count("cef_app_setfilterpath"), 1);
    rt::Ref<rt::Array> sent = host.calls("cef_app_setfilterpath")[0].args[0].asArray();
    ASSERT_TRUE(sent);
    ASSERT_EQ(sent->size(), 2);
    EXPECT_EQ(sent->get(0).str(), "C:%5CProgram%20Files%20(x86)%5CMorvick%5Cres%20dir");
    EXPECT_EQ(sent->get(1).str(), "/srv/a%20b/lobby.swf");
    EXPECT_EQ(rt::Value(CefApp::filterResourcePaths), rt::Value(sent));
}

TEST(CefAppTest, AnEmptyFilterListChangesNothing) {
    bindings::FakeHost host;
    CefApp::setFilterResourcePath(rt::Array::of({"a"}));
    rt::Ref<rt::Array> before = CefApp::filterResourcePaths;
    CefApp::setFilterResourcePath(rt::make<rt::Array>());
    CefApp::setFilterResourcePath(nullptr);
    EXPECT_EQ(CefApp::filterResourcePaths, before);
    EXPECT_EQ(host.count("cef_app_setfilterpath"), 1);
}

TEST(CefAppTest, HotKeysNeedAWindowAndAName) {
    bindings::FakeHost host;
    host.answer("cef_app_registerhotkey", 7);
    host.answer("cef_app_unregisterhotkey", true);
    host.answer("cef_window_create", [](std::span<const rt::Value> args) {
        args[3].callMember("on_create", {"hwnd-1"});
        return rt::Value();
    });
    rt::Ref<CefWindow> window =
        rt::create<CefWindow>("a.html", 10, 10, 0, rt::create<CefBrowserSettings>());

    EXPECT_EQ(CefApp::registerHotKey(nullptr, "k", 1, 2), -1);
    EXPECT_EQ(CefApp::registerHotKey(window, std::nullopt, 1, 2), -1);
    EXPECT_FALSE(CefApp::unRegisterHotKey(nullptr, "k"));
    EXPECT_EQ(host.count("cef_app_registerhotkey"), 0);
    EXPECT_EQ(host.count("cef_app_unregisterhotkey"), 0);

    EXPECT_EQ(CefApp::registerHotKey(window, "boss", 3, 65), 7);
    std::vector<rt::Value> args = host.calls("cef_app_registerhotkey")[0].args;
    EXPECT_EQ(args[0].str(), "hwnd-1");
    EXPECT_EQ(args[1].str(), "boss");
    EXPECT_EQ(args[3], rt::Value(65));
    EXPECT_TRUE(CefApp::unRegisterHotKey(window, "boss"));
}

TEST(CefAppTest, NullHostAnswersReadAsFalseAndZero) {
    bindings::FakeHost host;
    EXPECT_FALSE(CefApp::registeAppInstance("Morvick"));
    EXPECT_EQ(CefApp::getSystemMetrics(17), 0);
    EXPECT_EQ(CefApp::unicode2Ansi("x"), std::nullopt);
    host.answer("cef_getsystemmetrics",
                [](std::span<const rt::Value> args) { return rt::Value(args[0].toInt() * 10); });
    EXPECT_EQ(CefApp::getSystemMetrics(17), 170);
}

TEST(CefAppTest, PrimitivesAreBoundFromCefhxAndReplaceableByName) {
    bindings::FakeHost host;
    std::map<std::string, bindings::FakeHost::Binding> bound;
    for (const auto& b : host.bindings()) bound[b.name] = b;
    struct Expected {
        const char* name;
        const char* library;
        int argCount;
    };
    for (Expected e : {Expected{"cef_app_main", "cefhx", 2},
                       {"cef_app_registerhotkey", "cefhx", 4},
                       {"window_onresloaded", "cefhx", 2},
                       {"cef_window_show", "cefhx", 5},
                       {"browser_seteventhandle", "cefhx", 3},
                       {"frame_invokejsfunc", "cefhx", 5},
                       {"request_setheader", "cefhx", 3},
                       {"systray_create_icon", "syslite", 3},
                       {"browser_launch", "syslite", 1},
                       {"registry_set_value", "syslite", 4}}) {
        ASSERT_TRUE(bound.count(e.name)) << e.name;
        EXPECT_EQ(bound[e.name].library, e.library) << e.name;
        EXPECT_EQ(bound[e.name].argCount, e.argCount) << e.name;
    }
    EXPECT_FALSE(bound.count("win_create_process"));

    const rt::ClassInfo* app = rt::ClassInfo::find("cef.CefApp");
    ASSERT_NE(app, nullptr);
    EXPECT_TRUE(app->getStatic("cef_app_quit").isFunction());
    int replaced = 0;
    app->setStatic("cef_app_quit", counter(replaced));
    app->callStatic("quit", {});
    EXPECT_EQ(replaced, 1);
    EXPECT_EQ(host.count("cef_app_quit"), 0);
}

TEST(CefAppTest, AMissingLibraryEndsTheClassInitialisation) {
    bindings::FakeHost host;
    bindings::PrimitiveLoader fake = bindings::setPrimitiveLoader(
        [](const std::string& library, const std::string& name, int) -> rt::Primitive {
            throw rt::Exception("Could not load module " + library + "@" + name);
        });
    try {
        initClasses();
        FAIL() << "initialisation must fail without its library";
    } catch (const rt::Exception& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Could not load module cefhx@", 0), 0u);
    }
    bindings::setPrimitiveLoader(fake);
}

}  // namespace
}  // namespace cef
