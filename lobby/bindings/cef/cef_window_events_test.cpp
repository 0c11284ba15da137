#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lobby/bindings/cef/cef_app.h"
#include "lobby/bindings/cef/cef_browser.h"
#include "lobby/bindings/cef/cef_browser_settings.h"
#include "lobby/bindings/cef/cef_response.h"
#include "lobby/bindings/cef/cef_window.h"
#include "lobby/bindings/cef/window_fixture.h"
#include "runtime/bytes.h"
#include "runtime/create.h"
#include "runtime/function.h"
#include "runtime/record.h"

namespace cef {
namespace {

// Browser events as the host delivers them: by name, to a live window.
class BrowserEventsTest : public testing::WindowFixture {
protected:
    // Sets the handler of `event` to one that records its arguments and answers `result`.
    void handle(const std::string& event, rt::Value result = {}) {
        rt::Value(browser).set(event, rt::Function::of(event, [this, event, result](auto args) {
                                   received[event] = {args.begin(), args.end()};
                                   return result;
                               }));
    }

    rt::Value deliver(const std::string& event, rt::Value payload) {
        return rt::Value(window).callMember("onBrowserEvent", {event, payload});
    }

    std::map<std::string, std::vector<rt::Value>> received;
};

rt::Ref<rt::Record> payload() {
    return rt::Record::of(
        {{"x", 1}, {"y", 2}, {"_url", "http://127.0.0.1/p"}, {"width", 30}, {"height", 40}});
}

TEST_F(BrowserEventsTest, AfterCreatedInitialisesTheBrowserWithOrWithoutAHandler) {
    EXPECT_TRUE(deliver("onAfterCreated", nullptr).isNull());
    EXPECT_TRUE(browser->isInit);
    browser->isInit = false;
    int calls = 0;
    browser->onAfterCreated = rt::Function::of("ready", [&](auto) {
        EXPECT_TRUE(browser->isInit);
        ++calls;
        return rt::Value();
    });
    deliver("onAfterCreated", nullptr);
    EXPECT_EQ(calls, 1);
}

TEST_F(BrowserEventsTest, HandlersGetThePayloadFieldsTheEventNames) {
    handle("onLoadError", 404);
    handle("onBeforeBrowse", 0);
    handle("onContentsSizeChange");
    handle("onJSConfirm", true);
    EXPECT_EQ(deliver("onLoadError", payload()).str(), "404");
    EXPECT_EQ(deliver("onBeforeBrowse", payload()), rt::Value(false));
    EXPECT_TRUE(deliver("onContentsSizeChange", payload()).isNull());
    EXPECT_EQ(deliver("onJSConfirm", payload()), rt::Value(true));
    EXPECT_EQ(received["onLoadError"], (std::vector<rt::Value>{1, 2, 30, "http://127.0.0.1/p"}));
    EXPECT_EQ(received["onBeforeBrowse"],
              (std::vector<rt::Value>{1, 2, "http://127.0.0.1/p", 30, nullptr}));
    EXPECT_EQ(received["onContentsSizeChange"], (std::vector<rt::Value>{1, 2, 30, 40}));
}

TEST_F(BrowserEventsTest, TextEventsHandTheHandlerThePayloadAsText) {
    handle("onTitleChange", nullptr);
    handle("onBeforePopup", nullptr);
    EXPECT_TRUE(deliver("onTitleChange", nullptr).isNull());
    EXPECT_EQ(deliver("onBeforePopup", nullptr), rt::Value(false));
    EXPECT_EQ(received["onTitleChange"], std::vector<rt::Value>{"null"});
    EXPECT_EQ(received["onBeforePopup"], std::vector<rt::Value>{"null"});
}

TEST_F(BrowserEventsTest, EventsWithoutAHandlerAnswerTheirDefault) {
    EXPECT_EQ(deliver("onBeforePopup", "http://127.0.0.1/x"), rt::Value(true));
    EXPECT_EQ(deliver("onBeforeBrowse", payload()), rt::Value(true));
    EXPECT_EQ(deliver("onBeforeResourceLoad", "http://127.0.0.1/x"), rt::Value(true));
    for (const char* e : {"onBeforeMenu", "onJSAlert", "onJSConfirm", "onLoadError", "noSuch"}) {
        EXPECT_TRUE(deliver(e, payload()).isNull()) << e;
    }
    EXPECT_EQ(host.count("window_onresloaded"), 0);
}

TEST_F(BrowserEventsTest, AResourceHandlerAnswersWithTheDataAndTheResponse) {
    rt::Value(browser).set("onBeforeResourceLoad", rt::Function::of("res", [](auto args) {
                               rt::Ref<CefResponse> r = args[1].template as<CefResponse>();
                               r->mimeType = "text/html";
                               r->status = 200;
                               r->end = true;
                               return rt::Value(rt::Bytes::of("<html>"));
                           }));
    EXPECT_EQ(deliver("onBeforeResourceLoad", "http://127.0.0.1/index.html"), rt::Value(true));
    ASSERT_EQ(host.count("window_onresloaded"), 1);
    std::vector<rt::Value> sent = host.calls("window_onresloaded")[0].args;
    EXPECT_EQ(sent[0].str(), "hwnd");
    rt::Value record = sent[1];
    EXPECT_EQ(record.get("x").asBytes()->view(), "<html>");
    EXPECT_EQ(record.get("y"), rt::Value(true));
    EXPECT_TRUE(record.get("_url").isNull());
    EXPECT_EQ(record.get("width").str(), "text/html");
    EXPECT_EQ(record.get("height"), rt::Value(6));
    EXPECT_EQ(record.get("linkUrl").str(), "http://127.0.0.1/index.html");
    EXPECT_EQ(record.get("minSize"), rt::Value(200));
}

TEST_F(BrowserEventsTest, ANullResourceSendsTheDefaultsEvenWithAStatusSet) {
    rt::Value(browser).set("onBeforeResourceLoad", rt::Function::of("res", [](auto args) {
                               args[1].set("status", 404);
                               args[1].set("mimeType", "text/plain");
                               return rt::Value();
                           }));
    deliver("onBeforeResourceLoad", "http://127.0.0.1/missing");
    rt::Value record = host.calls("window_onresloaded")[0].args[1];
    EXPECT_TRUE(record.get("x").isNull());
    EXPECT_EQ(record.get("y"), rt::Value(false));
    EXPECT_TRUE(record.get("width").isNull());
    EXPECT_EQ(record.get("height"), rt::Value(0));
    EXPECT_EQ(record.get("minSize"), rt::Value(0));
}

TEST_F(BrowserEventsTest, NothingIsDispatchedAfterQuitOrDuringDestruction) {
    handle("onLoadEnd");
    window->isToDestroy = true;
    EXPECT_TRUE(deliver("onLoadEnd", payload()).isNull());
    EXPECT_TRUE(deliver("onBeforePopup", payload()).isNull());
    window->isToDestroy = false;
    CefApp::quit();
    EXPECT_TRUE(deliver("onLoadEnd", payload()).isNull());
    EXPECT_TRUE(deliver("onBeforeResourceLoad", "x").isNull());
    deliver("onAfterCreated", nullptr);
    EXPECT_FALSE(browser->isInit);
    EXPECT_TRUE(received.empty());
}

}  // namespace
}  // namespace cef
