#include "lobby/bindings/cef/cef_frame.h"

#include <gtest/gtest.h>

#include "lobby/bindings/cef/cef_browser.h"
#include "lobby/bindings/cef/cef_browser_settings.h"
#include "lobby/bindings/cef/cef_window.h"
#include "lobby/bindings/cef/window_fixture.h"
#include "runtime/create.h"
#include "runtime/record.h"

namespace cef {
namespace {

class CefFrameTest : public testing::WindowFixture {
protected:
    rt::Ref<CefFrame> frame(int32_t id, const char* name = "f") {
        return rt::create<CefFrame>(browser, window, false, std::string(name), id);
    }
};

TEST_F(CefFrameTest, ScriptCallsBeforeTheBrowserIsCreatedAreLost) {
    rt::Ref<CefFrame> f = frame(1);
    EXPECT_TRUE(f->invokeJsFunc("init", rt::Array::of({1})).isNull());
    EXPECT_TRUE(f->evalJavaScript("1+1").isNull());
    f->executeJavaScript("go()", std::nullopt, rt::Value());
    EXPECT_EQ(f->getText(), std::nullopt);
    f->undo();
    for (const auto& c : host.calls()) EXPECT_NE(c.name.rfind("frame_", 0), 0u) << c.name;
}

TEST_F(CefFrameTest, ScriptCallsNameTheFrameByHandleFlagAndName) {
    browser->isInit = true;
    host.answer("frame_invokejsfunc", "done");
    rt::Ref<rt::Array> args = rt::Array::of({"room", 3});
    EXPECT_EQ(rt::Value(frame(2, "game")).callMember("invokeJsFunc", {"openGame", args}).str(),
              "done");
    EXPECT_EQ(host.calls("frame_invokejsfunc")[0].args,
              (std::vector<rt::Value>{"hwnd", false, "game", "openGame", args}));

    rt::Value(frame(2, "game")).callMember("executeJavaScript", {"go()"});
    std::vector<rt::Value> exec = host.calls("frame_executejavascript")[0].args;
    EXPECT_EQ(exec[3].str(), "go()");
    EXPECT_EQ(exec[4].get("_url").str(), "");
    EXPECT_EQ(exec[4].get("x"), rt::Value(0));
}

TEST_F(CefFrameTest, IdentifierAndHostQueriesWorkBeforeInitialisation) {
    host.answer("frame_getidentifier", 11);
    host.answer("frame_geturl", "http://127.0.0.1/");
    EXPECT_EQ(frame(5)->getIdentifier(), 5);
    rt::Ref<CefFrame> unknown = frame(-1);
    EXPECT_EQ(unknown->getIdentifier(), 11);
    EXPECT_EQ(unknown->getIdentifier(), 11);
    EXPECT_EQ(host.count("frame_getidentifier"), 2);
    EXPECT_EQ(unknown->identifier, -1);
    EXPECT_EQ(unknown->getUrl(), "http://127.0.0.1/");
    EXPECT_FALSE(unknown->isFocused());
}

TEST_F(CefFrameTest, TheParentIsFoundAmongTheKnownFramesFirst) {
    browser->isInit = true;
    host.answer("frame_getparentid", -1);
    EXPECT_FALSE(frame(3)->getParent());

    rt::Ref<CefFrame> parent =
        browser->initFrame(rt::Record::of({{"_url", 8}, {"x", 0}, {"y", "outer"}}));
    host.answer("frame_getparentid", 8);
    EXPECT_EQ(frame(3)->getParent(), parent);
    EXPECT_EQ(host.count("frame_getparentobj"), 0);

    host.answer("frame_getparentid", 9);
    host.answer("frame_getparentobj", rt::Record::of({{"_url", 9}, {"x", 1}, {"y", "top"}}));
    rt::Ref<CefFrame> top = frame(3)->getParent();
    ASSERT_TRUE(top);
    EXPECT_EQ(top->identifier, 9);
    EXPECT_TRUE(top->isMain);
    EXPECT_EQ(browser->frames->size(), 2);
}

}  // namespace
}  // namespace cef
