#include "lobby/bindings/cef/cef_window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lobby/bindings/cef/cef_app.h"
#include "lobby/bindings/cef/cef_browser.h"
#include "lobby/bindings/cef/cef_browser_settings.h"
#include "lobby/bindings/cef/page_callers.h"
#include "lobby/bindings/cef/rect.h"
#include "lobby/bindings/cef/size.h"
#include "lobby/bindings/fake_host.h"
#include "runtime/class_builder.h"
#include "runtime/create.h"

namespace cef {
namespace {

// A window class of the program's kind: it overrides the hooks and adds members of its own.
class HookWindow : public CefWindow {
    RT_CLASS(HookWindow)
public:
    std::vector<std::string> hooks;
    bool closeAnswer = true;
    int32_t score = 3;

    void onCreate() override { hooks.push_back("onCreate:" + _handle.toString()); }
    bool onClose() override {
        hooks.push_back("onClose");
        return closeAnswer;
    }
    void onDestroy() override { hooks.push_back("onDestroy"); }
    bool onSize() override {
        hooks.push_back("onSize");
        return false;
    }
    bool onMinimize() override {
        hooks.push_back("onMinimize");
        return false;
    }
    std::string greet(std::string who, int32_t times) {
        return "hello " + who + " x" + std::to_string(times);
    }
};

const rt::ClassInfo& HookWindow::staticClassInfo() {
    static const rt::ClassInfo& info = rt::ClassBuilder<HookWindow>("test.HookWindow")
                                           .extends<CefWindow>()
                                           .field("score", &HookWindow::score)
                                           .method("greet", &HookWindow::greet)
                                           .build();
    return info;
}

// A host that creates the native window at once, as the browser host may, calling on_create
// by name while the window is still being constructed.
struct Host : bindings::FakeHost {
    int windows = 0;
    Host() {
        answer("cef_window_create", [this](std::span<const rt::Value> args) {
            args[3].callMember("on_create", {"hwnd-" + std::to_string(++windows)});
            return rt::Value();
        });
    }
};

rt::Ref<HookWindow> makeWindow() {
    return rt::create<HookWindow>("http://127.0.0.1/lobby.html", 800, 600, rt::Value(),
                                  rt::create<CefBrowserSettings>());
}

TEST(CefWindowTest, OnCreateDuringConstructionReachesTheSubclass) {
    Host host;
    rt::Ref<HookWindow> window = makeWindow();
    EXPECT_EQ(window->hooks, std::vector<std::string>{"onCreate:hwnd-1"});
    ASSERT_EQ(CefApp::naviteWindows->size(), 1);
    EXPECT_EQ(CefApp::naviteWindows->get(0), rt::Value(window));
    EXPECT_EQ(window->_windowFlag, 0);
    EXPECT_EQ(window->get_url(), "http://127.0.0.1/lobby.html");
    ASSERT_TRUE(window->minSize);
    EXPECT_EQ(window->minSize->width, 0);

    std::vector<rt::Value> create = host.calls("cef_window_create")[0].args;
    EXPECT_EQ(create[0], rt::Value(800));
    EXPECT_TRUE(create[2].isNull());
    EXPECT_EQ(create[4], rt::Value(window->get_cefBrowser()));
    EXPECT_EQ(rt::Value(window).get("url").str(), "http://127.0.0.1/lobby.html");
}

TEST(CefWindowTest, ResizeSendsTheEdgeCodeAndBottomRightForAnythingElse) {
    Host host;
    rt::Ref<HookWindow> window = makeWindow();
    for (const char* edge : {"L", "R", "T", "TL", "TR", "B", "BL", "BR", "br", "X"}) {
        window->resize(edge);
    }
    window->resize(std::nullopt);
    std::vector<int32_t> codes;
    for (const auto& c : host.calls("window_resize")) codes.push_back(c.args[1].toInt());
    EXPECT_EQ(codes, (std::vector<int32_t>{1, 2, 3, 4, 5, 6, 7, 8, 8, 8, 8}));
}

TEST(CefWindowTest, ShowBeforeTheHandleSendsNothingButKeepsTheState) {
    bindings::FakeHost host;
    rt::Ref<HookWindow> window = makeWindow();
    window->show(false);
    EXPECT_FALSE(window->get_visible());
    window->set_visible(true);
    EXPECT_TRUE(window->get_visible());
    EXPECT_EQ(host.count("cef_window_show"), 0);

    window->on_create("hwnd-9");
    rt::Value(window).callMember("show", {true});
    window->set_visible(true);
    auto shows = host.calls("cef_window_show");
    ASSERT_EQ(shows.size(), 2u);
    for (const auto& s : shows) {
        EXPECT_EQ(s.args, (std::vector<rt::Value>{"hwnd-9", true, true, false, true}));
    }
}

TEST(CefWindowTest, PropertiesGoToTheHostEveryTime) {
    Host host;
    rt::Ref<HookWindow> window = makeWindow();
    rt::Value w(window);
    EXPECT_TRUE(w.get("maximized").toBool()) << "a null answer reads as true";
    host.answer("window_get_prop", [](std::span<const rt::Value> args) {
        return args[1].toInt() == 12 ? rt::Value(0) : rt::Value(args[1].toInt() * 100);
    });
    EXPECT_FALSE(w.get("maximized").toBool());
    EXPECT_TRUE(w.get("enabled").toBool());
    EXPECT_EQ(w.get("top"), rt::Value(600));
    EXPECT_EQ(w.get("width"), rt::Value(300));
    EXPECT_TRUE(window->get_dropTarget());
    EXPECT_EQ(host.calls("window_get_prop").back().args[1], rt::Value(9));

    EXPECT_EQ(w.set("left", 44), rt::Value(44));
    EXPECT_EQ(w.set("resizable", false), rt::Value(false));
    auto sets = host.calls("window_set_prop");
    ASSERT_EQ(sets.size(), 2u);
    EXPECT_EQ(sets[0].args, (std::vector<rt::Value>{"hwnd-1", 5, 44}));
    EXPECT_EQ(sets[1].args, (std::vector<rt::Value>{"hwnd-1", 0, false}));
}

TEST(CefWindowTest, TitleAndMessageHook) {
    bindings::FakeHost host;
    rt::Ref<HookWindow> window = makeWindow();
    rt::Value w(window);
    w.set("title", "Lobby");
    EXPECT_EQ(host.count("window_set_title"), 0);
    EXPECT_EQ(w.get("title").str(), "Lobby");
    w.set("sysMessageHook", true);
    EXPECT_EQ(host.calls("window_set_message_hook")[0].args,
              (std::vector<rt::Value>{nullptr, true}));
    EXPECT_TRUE(w.get("_sysMessageHook").toBool());
    window->on_create("h");
    w.set("title", "Game");
    EXPECT_EQ(host.calls("window_set_title")[0].args, (std::vector<rt::Value>{"h", "Game"}));
}

TEST(CefWindowTest, CloseAsksOnCloseButDestroyDoesNot) {
    Host host;
    rt::Ref<HookWindow> window = makeWindow();
    rt::Value w(window);
    window->closeAnswer = false;
    window->close();
    EXPECT_EQ(host.calls("cef_window_close")[0].args[0].str(), "hwnd-1");
    EXPECT_FALSE(w.callMember("on_close", {}).toBool());
    window->destroy();
    EXPECT_TRUE(window->isToDestroy);
    EXPECT_TRUE(w.callMember("on_close", {}).toBool());
    EXPECT_EQ(window->hooks, (std::vector<std::string>{"onCreate:hwnd-1", "onClose"}));
}

TEST(CefWindowTest, CloseAfterQuitDestroysWithoutAsking) {
    Host host;
    rt::Ref<HookWindow> window = makeWindow();
    CefApp::quit();
    window->close();
    EXPECT_TRUE(window->isToDestroy);
    EXPECT_TRUE(window->on_close());
    EXPECT_EQ(window->hooks.size(), 1u);
}

TEST(CefWindowTest, WindowHooksRunEvenAfterQuitAndDuringDestruction) {
    Host host;
    rt::Ref<HookWindow> window = makeWindow();
    window->destroy();
    CefApp::quit();
    rt::Value w(window);
    EXPECT_FALSE(w.callMember("on_size", {}).toBool());
    EXPECT_FALSE(w.callMember("on_minimize", {}).toBool());
    EXPECT_TRUE(w.callMember("on_restore", {}).toBool());
    EXPECT_TRUE(w.callMember("on_fullscreen", {}).toBool());
    EXPECT_TRUE(w.callMember("on_jscall", {"greet", rt::Array::of({"x", 1})}).isNull());
    EXPECT_EQ(window->hooks, (std::vector<std::string>{"onCreate:hwnd-1", "onSize", "onMinimize"}));
}

TEST(CefWindowTest, OnDestroyForgetsTheHandleButKeepsTheBrowser) {
    Host host;
    rt::Ref<HookWindow> first = makeWindow();
    rt::Ref<HookWindow> second = makeWindow();
    rt::Ref<CefBrowser> browser = second->get_cefBrowser();
    EXPECT_EQ(rt::Value(first).callMember("on_destroy", {}), rt::Value(1));
    EXPECT_EQ(rt::Value(second).callMember("on_destroy", {}), rt::Value(0));
    EXPECT_EQ(second->hooks.back(), "onDestroy");
    EXPECT_TRUE(second->_handle.isNull());
    EXPECT_FALSE(second->cefBrowserSet);
    EXPECT_EQ(second->get_cefBrowser(), browser);
    EXPECT_EQ(rt::Value(browser).get("_cefWindow"), rt::Value());
}

TEST(CefWindowTest, PageCallsFallBackToTheWindowsMemberOfThatName) {
    Host host;
    rt::Ref<HookWindow> window = makeWindow();
    rt::Value w(window);
    EXPECT_EQ(w.callMember("on_jscall", {"greet", rt::Array::of({"ann", 2})}).str(),
              "hello ann x2");
    EXPECT_EQ(w.callMember("on_jscall", {"score", rt::make<rt::Array>()}), rt::Value(3));
    EXPECT_EQ(w.callMember("on_jscall", {"score", nullptr}), rt::Value(3));
    EXPECT_TRUE(w.callMember("on_jscall", {"score", rt::Array::of({9, 10})}).isNull());
    EXPECT_EQ(window->score, 9);
    EXPECT_TRUE(w.callMember("on_jscall", {"noSuchCall", rt::Array::of({1})}).isNull());
}

TEST(CefWindowTest, PageCallsFromAForeignDocumentAreRefused) {
    Host host;
    rt::Ref<HookWindow> window = makeWindow();
    rt::Value w(window);
    PageCallers::trust("/opt/game/resource/", "http://site.test/");
    EXPECT_EQ(w.callMember("on_jscall", {"score", nullptr, "file:///opt/game/resource/a.html"}),
              rt::Value(3));
    EXPECT_EQ(w.callMember("on_jscall", {"score", nullptr, "http://site.test/x/frame.html"}),
              rt::Value(3));
    testing::internal::CaptureStdout();
    EXPECT_TRUE(w.callMember("on_jscall", {"score", nullptr, "http://evil.test/"}).isNull());
    EXPECT_TRUE(
        w.callMember("on_jscall", {"score", rt::Array::of({9}), "file:///tmp/a.html"}).isNull());
    EXPECT_TRUE(w.callMember("on_jscall", {"score", nullptr, ""}).isNull());
    const std::string trace = testing::internal::GetCapturedStdout();
    EXPECT_NE(trace.find("page call \"score\" refused from \"http://evil.test/\""),
              std::string::npos)
        << trace;
    EXPECT_EQ(window->score, 3);
    PageCallers::trust("", "");
}

TEST(CefWindowTest, SetRoundNeedsBothValues) {
    Host host;
    rt::Ref<HookWindow> window = makeWindow();
    rt::Ref<Rect> rect = rt::create<Rect>(0, 0, 800, 600);
    window->setRound(rect, nullptr);
    EXPECT_EQ(host.count("window_setround"), 0);
    rt::Ref<Size> corner = rt::create<Size>(6.0, 6.0);
    window->setRound(rect, corner);
    EXPECT_EQ(host.calls("window_setround")[0].args,
              (std::vector<rt::Value>{"hwnd-1", rect, corner}));
}

}  // namespace
}  // namespace cef
