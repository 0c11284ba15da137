#include "lobby/bindings/cef/cef_browser.h"

#include <gtest/gtest.h>

#include "lobby/bindings/cef/cef_browser_settings.h"
#include "lobby/bindings/cef/cef_frame.h"
#include "lobby/bindings/cef/cef_window.h"
#include "lobby/bindings/cef/key_info.h"
#include "lobby/bindings/cef/rect.h"
#include "lobby/bindings/cef/size.h"
#include "lobby/bindings/cef/window_fixture.h"
#include "runtime/create.h"
#include "runtime/function.h"
#include "runtime/record.h"

namespace cef {
namespace {

using CefBrowserTest = testing::WindowFixture;

rt::Ref<rt::Record> frameRecord(rt::Value id, int32_t main, const char* name) {
    return rt::Record::of({{"_url", id}, {"x", main}, {"y", name}});
}

TEST_F(CefBrowserTest, FrameLookupsGiveNullUntilTheBrowserIsCreated) {
    host.answer("browser_getmainframeid", 3);
    host.answer("browser_getframeobj", frameRecord(4, 0, "side"));
    host.answer("browser_getfocusedframeobj", frameRecord(4, 0, "side"));
    EXPECT_FALSE(browser->getMainFrame());
    EXPECT_FALSE(browser->initFrame(frameRecord(4, 0, "side")));
    EXPECT_FALSE(browser->getFrame("side"));
    EXPECT_FALSE(browser->getFocusedFrame());
    EXPECT_FALSE(browser->mainFrame);
    EXPECT_EQ(browser->frames->size(), 0);
}

TEST_F(CefBrowserTest, TheMainFrameIsAskedForUntilTheHostKnowsIt) {
    browser->isInit = true;
    host.answer("browser_getmainframeid", -1);
    EXPECT_FALSE(browser->getMainFrame());
    EXPECT_FALSE(browser->getMainFrame());
    EXPECT_EQ(host.count("browser_getmainframeid"), 2);

    host.answer("browser_getmainframeid", 7);
    rt::Ref<CefFrame> main = browser->getMainFrame();
    ASSERT_TRUE(main);
    EXPECT_EQ(browser->getMainFrame(), main);
    EXPECT_EQ(host.count("browser_getmainframeid"), 3);
    EXPECT_TRUE(main->isMain);
    EXPECT_EQ(main->name, "");
    EXPECT_EQ(main->identifier, 7);
    EXPECT_EQ(main->getCefWindow(), window);
    EXPECT_EQ(browser->frames->size(), 0);
}

TEST_F(CefBrowserTest, FramesAreMadeOncePerNumericId) {
    browser->isInit = true;
    rt::Ref<CefFrame> side = browser->initFrame(frameRecord(4, 0, "side"));
    ASSERT_TRUE(side);
    EXPECT_EQ(browser->initFrame(frameRecord(4.0, 1, "other")), side);
    EXPECT_EQ(browser->frames->size(), 1);

    rt::Ref<CefFrame> a = browser->initFrame(frameRecord("4", 0, "text"));
    rt::Ref<CefFrame> b = browser->initFrame(frameRecord("4", 0, "text"));
    EXPECT_NE(a, b);
    EXPECT_EQ(browser->frames->size(), 3);

    host.answer("browser_getframeobj", [](std::span<const rt::Value> args) {
        return args[1].str() == "side" ? rt::Value(frameRecord(4, 0, "side")) : rt::Value();
    });
    EXPECT_EQ(browser->getFrame("side"), side);
    EXPECT_FALSE(browser->getFrame("none"));
    EXPECT_EQ(host.calls("browser_getframeobj")[0].args, (std::vector<rt::Value>{"hwnd", "side"}));
}

TEST_F(CefBrowserTest, HandlerSettersTellTheHostWhichEventsToReport) {
    rt::Value b(browser);
    rt::Value f = rt::Function::of("h", [](auto) { return rt::Value(); });
    EXPECT_EQ(b.set("onLoadEnd", f), f);
    EXPECT_TRUE(b.set("onLoadEnd", nullptr).isNull());
    EXPECT_EQ(b.set("onJSConfirm", f), f);
    auto calls = host.calls("browser_seteventhandle");
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].args, (std::vector<rt::Value>{"hwnd", 3, true}));
    EXPECT_EQ(calls[1].args, (std::vector<rt::Value>{"hwnd", 3, false}));
    EXPECT_EQ(calls[2].args, (std::vector<rt::Value>{"hwnd", 15, true}));
    EXPECT_EQ(b.get("_onJSConfirm"), f);
}

TEST_F(CefBrowserTest, DestroyDropsSomeHandlersAndEveryFrame) {
    rt::Value b(browser);
    rt::Value f = rt::Function::of("h", [](auto) { return rt::Value(); });
    b.set("onJSAlert", f);
    b.set("onLoadEnd", f);
    b.set("onAfterCreated", f);
    browser->isInit = true;
    host.answer("browser_getmainframeid", 1);
    rt::Ref<CefFrame> main = browser->getMainFrame();
    rt::Ref<CefFrame> side = browser->initFrame(frameRecord(2, 0, "side"));
    int before = host.count("browser_seteventhandle");

    browser->destroy();
    EXPECT_EQ(b.get("onJSAlert"), f);
    EXPECT_TRUE(b.get("onLoadEnd").isNull());
    EXPECT_TRUE(b.get("onAfterCreated").isNull());
    EXPECT_EQ(host.count("browser_seteventhandle"), before);
    EXPECT_FALSE(browser->frames);
    EXPECT_FALSE(browser->mainFrame);
    EXPECT_TRUE(browser->isInit);
    EXPECT_FALSE(main->getBrowser());
    EXPECT_FALSE(side->getCefWindow());
}

TEST_F(CefBrowserTest, InputAndGeometryCrossAsTheHostExpects) {
    browser->sendKeyEvent(KeyType::KEY_CHAR, rt::create<KeyInfo>(65, true, false), 2);
    std::vector<rt::Value> key = host.calls("browser_sendkeyevent")[0].args;
    EXPECT_EQ(key[1], rt::Value(2));
    EXPECT_EQ(key[2].get("x"), rt::Value(65));
    EXPECT_EQ(key[2].get("y"), rt::Value(true));
    EXPECT_EQ(key[2].get("width"), rt::Value(false));

    rt::Value(browser).callMember("Invalidate", {rt::create<Rect>(1, 2, 3, 4)});
    EXPECT_EQ(host.calls("browser_invalidate")[0].args,
              (std::vector<rt::Value>{"hwnd", 1, 2, 3, 4}));

    rt::Value(browser).callMember(
        "sendMouseClickEvent", {5, 6, enumInfo(MouseButtonType{}).value("MOUSE_RIGHT"), true, 2});
    std::vector<rt::Value> click = host.calls("browser_sendmouseclickevent")[0].args;
    EXPECT_EQ(click[1].get("x"), rt::Value(5));
    EXPECT_EQ(click[2], rt::Value(2));

    browser->find(9, "needle", true, false, true);
    std::vector<rt::Value> find = host.calls("browser_find")[0].args;
    EXPECT_EQ(find[3], rt::Value(true));
    EXPECT_EQ(find[4].get("x"), rt::Value(false));
    EXPECT_EQ(find[4].get("y"), rt::Value(true));

    host.answer("browser_getsize", rt::Record::of({{"width", 640}}));
    rt::Ref<Size> size = browser->getSize(PaintElementType::PET_POPUP);
    EXPECT_EQ(size->width, 640);
    EXPECT_EQ(size->height, 0);
    EXPECT_EQ(host.calls("browser_getsize")[0].args[1], rt::Value(1));
}

TEST_F(CefBrowserTest, HostFlagsAndSettersAnswerAsTheHostSays) {
    EXPECT_FALSE(browser->get_canGoBack());
    host.answer("browser_getcangoback", 2);
    EXPECT_TRUE(rt::Value(browser).get("canGoBack").toBool());
    EXPECT_FALSE(browser->setFocus(false));
    EXPECT_EQ(rt::Value(browser).set("zoomLevel", 1.5), rt::Value(1.5));
    EXPECT_EQ(browser->get_zoomLevel(), 0);
    host.answer("browser_getframenames", rt::Array::of({"a", nullptr, 3}));
    rt::Ref<rt::Array> names = browser->getFrameNames();
    ASSERT_TRUE(names);
    EXPECT_EQ(names->items(), (std::vector<rt::Value>{"a", nullptr, "3"}));
}

}  // namespace
}  // namespace cef
