// DevTools page events turned into the program's browser events, from recorded messages.
#include "platform/cefhx/page_events.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/cefhx/fake_devtools.h"
#include "platform/cefhx/test_window.h"
#include "runtime/create.h"

namespace cefhx {
namespace {

class PageEventsTest : public ::testing::Test {
protected:
    PageEventsTest() {
        browser.onEvents(
            [this](const std::string& method, const Json::Value& params, const std::string&) {
                if (method == "Target.targetInfoChanged") {
                    events.onTargetInfoChanged(window, params["targetInfo"]);
                } else {
                    events.onPageEvent(window, method, params);
                }
            });
        object = rt::create<testing::RecordingWindow>();
        object->onEvent = [this](const std::string& name, const rt::Value& payload) {
            payloads.push_back(name + " " + payload.toString());
            return answer;
        };
        window = std::make_shared<HostWindow>(1, rt::Value(object), rt::Value(), 640, 480, 0);
        window->target = TargetState::Known;
        window->targetId = "T";
        window->sessionId = "S";
        window->addFrame("T", "");
        for (int id = 1; id < kBrowserEventCount; ++id) window->setEventRegistered(id, true);
    }

    testing::FakeDevTools browser;
    PageEvents events{{[this](HostWindow& w, const std::string& method, const Json::Value& params,
                              DevToolsTransport::Reply reply) {
                           return browser.send(method, params, w.sessionId, std::move(reply));
                       },
                       [this](const std::shared_ptr<HostWindow>&, const Json::Value&) {
                           hooks.push_back("requestPaused");
                       },
                       [this](const std::shared_ptr<HostWindow>&, const Json::Value&) {
                           hooks.push_back("bindingCalled");
                       },
                       [this](const std::shared_ptr<HostWindow>&, const std::string& url) {
                           hooks.push_back("loaded " + url);
                       },
                       [this](HostWindow&) { hooks.push_back("title"); }}};
    rt::Ref<testing::RecordingWindow> object;
    std::shared_ptr<HostWindow> window;
    std::vector<std::string> hooks;
    std::vector<std::string> payloads;
    rt::Value answer;
};

TEST_F(PageEventsTest, FramesNavigateLoadAndReportTheirAddresses) {
    browser.receive(R"({"method":"Page.frameNavigated","sessionId":"S","params":{"frame":)"
                    R"({"id":"T","url":"file:///opt/game/index.html"}}})");
    browser.receive(R"({"method":"Page.frameAttached","sessionId":"S",)"
                    R"("params":{"frameId":"F","parentFrameId":"T"}})");
    browser.receive(R"({"method":"Page.frameNavigated","sessionId":"S","params":{"frame":)"
                    R"({"id":"F","parentId":"T","name":"ad","url":"file:///opt/game/ad.html"}}})");
    browser.receive(
        R"({"method":"Page.frameStartedLoading","sessionId":"S","params":{"frameId":"F"}})");
    browser.receive(
        R"({"method":"Page.frameStoppedLoading","sessionId":"S","params":{"frameId":"F"}})");
    browser.receive(
        R"({"method":"Page.frameStoppedLoading","sessionId":"S","params":{"frameId":"T"}})");
    browser.receive(R"({"method":"Page.navigatedWithinDocument","sessionId":"S",)"
                    R"("params":{"frameId":"T","url":"file:///opt/game/index.html#top"}})");
    EXPECT_EQ(object->calls, (std::vector<std::string>{
                                 "onAddressChange file:///opt/game/index.html",
                                 "onAddressChange file:///opt/game/ad.html",
                                 "onLoadStart",
                                 "onLoadEnd file:///opt/game/ad.html",
                                 "onLoadEnd file:///opt/game/index.html",
                                 "onAddressChange file:///opt/game/index.html#top",
                             }));
    // Only the main frame's load end reaches the desktop.
    EXPECT_EQ(hooks, std::vector<std::string>{"loaded file:///opt/game/index.html"});
    ASSERT_NE(window->frameByName("ad"), nullptr);
    EXPECT_EQ(window->frameByName("ad")->url, "file:///opt/game/ad.html");
    // A swap keeps the frame; a real detach removes it.
    browser.receive(
        R"({"method":"Page.frameDetached","sessionId":"S","params":{"frameId":"F","reason":"swap"}})");
    EXPECT_NE(window->frameByName("ad"), nullptr);
    browser.receive(R"({"method":"Page.frameDetached","sessionId":"S","params":{"frameId":"F"}})");
    EXPECT_EQ(window->frameByName("ad"), nullptr);
}

TEST_F(PageEventsTest, AMainFrameNavigationAsksForTheHistoryWhenNavStateIsRegistered) {
    browser.receive(R"({"method":"Page.frameNavigated","sessionId":"S","params":{"frame":)"
                    R"({"id":"T","url":"file:///a.html"}}})");
    ASSERT_EQ(browser.sentOf("Page.getNavigationHistory").size(), 1u);
    Json::Value history(Json::objectValue);
    history["currentIndex"] = 1;
    history["entries"].append("a");
    history["entries"].append("b");
    ASSERT_TRUE(browser.reply("Page.getNavigationHistory", history));
    ASSERT_EQ(payloads.size(), 2u);
    EXPECT_EQ(payloads[1], "onNavStateChange { x : true, y : false }");

    window->setEventRegistered(static_cast<int>(BrowserEvent::NavStateChange), false);
    browser.taken();
    browser.receive(R"({"method":"Page.frameNavigated","sessionId":"S","params":{"frame":)"
                    R"({"id":"T","url":"file:///b.html"}}})");
    EXPECT_TRUE(browser.sentOf("Page.getNavigationHistory").empty());
}

TEST_F(PageEventsTest, DialogsAreAnsweredAsTheProgramSays) {
    auto dialog = [&](const std::string& type) {
        browser.taken();
        browser.receive(R"({"method":"Page.javascriptDialogOpening","sessionId":"S","params":)"
                        R"({"type":")" +
                        type +
                        R"(","message":"sure?","url":"file:///a.html",)"
                        R"("defaultPrompt":"guest"}})");
        const auto answers = browser.sentOf("Page.handleJavaScriptDialog");
        return answers.empty() ? Json::Value() : answers[0].params;
    };
    answer = rt::Value(false);
    EXPECT_FALSE(dialog("confirm")["accept"].asBool());
    answer = rt::Value(true);
    EXPECT_TRUE(dialog("confirm")["accept"].asBool());
    EXPECT_TRUE(dialog("alert")["accept"].asBool()) << "an alert is accepted whatever is answered";
    EXPECT_EQ(dialog("prompt")["promptText"], "guest");
    window->setEventRegistered(static_cast<int>(BrowserEvent::JSConfirm), false);
    answer = rt::Value(false);
    EXPECT_TRUE(dialog("confirm")["accept"].asBool()) << "unregistered confirms are accepted";
    EXPECT_EQ(object->count("onJSConfirm sure?"), 2);
    EXPECT_EQ(object->count("onJSAlert sure?"), 1);
}

TEST_F(PageEventsTest, TitlesAreReportedOnceAndTheTemporaryTitleNever) {
    const auto title = [&](const std::string& text) {
        browser.receive(R"({"method":"Target.targetInfoChanged","params":{"targetInfo":)"
                        R"({"targetId":"T","title":")" +
                        text + R"("}}})");
    };
    title("early");
    EXPECT_TRUE(object->calls.empty()) << "no title before the page side exists";
    window->browserReady = true;
    title("Lobby");
    title("Lobby");
    title("cefhx-window-12-1");
    title("Game");
    EXPECT_EQ(object->calls,
              (std::vector<std::string>{"onTitleChange Lobby", "onTitleChange Game"}));
    EXPECT_EQ(hooks, (std::vector<std::string>{"title", "title", "title"}));
}

TEST_F(PageEventsTest, ScriptContextsFollowTheirFramesAndACrashIsALoadError) {
    browser.receive(R"({"method":"Page.frameNavigated","sessionId":"S","params":{"frame":)"
                    R"({"id":"T","url":"file:///a.html"}}})");
    browser.receive(R"({"method":"Runtime.executionContextCreated","sessionId":"S","params":)"
                    R"({"context":{"id":7,"auxData":{"frameId":"T","isDefault":false}}}})");
    EXPECT_EQ(window->mainFrame()->contextId, 0) << "only default contexts count";
    browser.receive(R"({"method":"Runtime.executionContextCreated","sessionId":"S","params":)"
                    R"({"context":{"id":8,"auxData":{"frameId":"T","isDefault":true}}}})");
    EXPECT_EQ(window->mainFrame()->contextId, 8);
    browser.receive(R"({"method":"Runtime.executionContextDestroyed","sessionId":"S",)"
                    R"("params":{"executionContextId":8}})");
    EXPECT_EQ(window->mainFrame()->contextId, 0);
    browser.receive(R"({"method":"Inspector.targetCrashed","sessionId":"S","params":{}})");
    EXPECT_EQ(object->calls.back(), "onLoadError file:///a.html");
    browser.receive(R"({"method":"Fetch.requestPaused","sessionId":"S","params":{}})");
    browser.receive(R"({"method":"Runtime.bindingCalled","sessionId":"S","params":{}})");
    EXPECT_EQ(hooks, (std::vector<std::string>{"requestPaused", "bindingCalled"}));
}

}  // namespace
}  // namespace cefhx
