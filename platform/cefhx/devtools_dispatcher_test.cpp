// The dispatcher: messages cut anywhere in the bytes, replies to their commands, hang-ups.
#include "platform/cefhx/devtools_dispatcher.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/cefhx/fake_devtools.h"
#include "platform/msgloop/msgloop.h"

namespace cefhx {
namespace {

using namespace std::string_literals;

TEST(DevToolsDispatcher, MessagesCutAnywhereAreHandledWholeAndInOrder) {
    DevToolsDispatcher d;
    d.reopen();
    std::vector<std::string> events;
    d.setHandlers([&](const Json::Value& m) { events.push_back(m["method"].asString()); }, {});
    std::vector<std::string> replies;
    d.command("A.one", Json::Value(), "", [&](const Json::Value& r, const std::string& error) {
        replies.push_back(error.empty() ? r["v"].asString() : "error " + error);
    });
    d.command("A.two", Json::Value(), "S", [&](const Json::Value&, const std::string& error) {
        replies.push_back("error " + error);
    });
    const std::string bytes = R"({"method":"E.first"})"s + '\0' + R"({"id":1,"result":{"v":"x"}})" +
                              '\0' + R"({"id":2,"error":{"message":"gone"}})" + '\0' +
                              R"({"id":3,"result":{}})" + '\0' + R"({"method":"E.last"})" + '\0';
    for (size_t i = 0; i < bytes.size(); i += 7) d.receive(std::string_view(bytes).substr(i, 7));
    EXPECT_EQ(events, (std::vector<std::string>{"E.first", "E.last"}));
    EXPECT_EQ(replies, (std::vector<std::string>{"x", "error gone"}));
    EXPECT_EQ(d.messagesHandled(), 5u);
}

TEST(DevToolsDispatcher, CommandsAreNumberedAndAHangUpFailsWhatIsPending) {
    DevToolsDispatcher d;
    d.reopen();
    bool closed = false;
    d.setHandlers({}, [&] { closed = true; });
    std::string failed;
    const std::string text = d.command("Page.navigate", Json::Value(), "S",
                                       [&](const Json::Value& r, const std::string& error) {
                                           EXPECT_TRUE(r.isNull());
                                           failed = error;
                                       });
    EXPECT_EQ(text, R"({"id":1,"method":"Page.navigate","params":{},"sessionId":"S"})");
    d.hangUp();
    EXPECT_EQ(failed, "the browser closed the connection");
    EXPECT_TRUE(closed);
    EXPECT_FALSE(d.isOpen());
    // Closed: what still comes is not handled.
    d.receive("{\"method\":\"E\"}"s + '\0');
    EXPECT_EQ(d.messagesHandled(), 0u);
}

TEST(DevToolsTransport, ACallAnswersTheResultOrWhatFailed) {
    if (!ml_is_loop_thread()) {
        ASSERT_EQ(ml_init(), ML_OK);
    }
    testing::FakeDevTools browser;
    Json::Value title(Json::objectValue);
    title["title"] = "Lobby";
    browser.answer("Page.title", title);
    const morvick::Expected<Json::Value> ok = browser.call("Page.title", Json::Value(), "S", 1000);
    ASSERT_TRUE(ok);
    EXPECT_EQ((*ok)["title"], "Lobby");
    // Nobody answers: the deadline passes.
    const morvick::Expected<Json::Value> late = browser.call("Page.other", Json::Value(), "S", 1);
    EXPECT_EQ(late.error(), "Page.other: no answer within 1 ms");
    // The browser's own error, with the command it answers.
    const auto refused = [&] {
        bool answered = false;
        browser.send("Page.navigate", Json::Value(), "S",
                     [&](const Json::Value& result, const std::string& error) {
                         answered = result.isNull() && error == "Cannot navigate";
                     });
        browser.fail("Page.navigate", "Cannot navigate");
        return answered;
    };
    EXPECT_TRUE(refused());
    browser.close();
    EXPECT_EQ(browser.call("Page.title", Json::Value(), "S", 1000).error(),
              "Page.title: the browser connection is closed");
}

TEST(DevToolsTransport, CallingSeveralSendsThemAllBeforeWaitingAndAnswersInOrder) {
    if (!ml_is_loop_thread()) {
        ASSERT_EQ(ml_init(), ML_OK);
    }
    testing::FakeDevTools browser;
    Json::Value one(Json::objectValue);
    one["n"] = 1;
    Json::Value three(Json::objectValue);
    three["n"] = 3;
    browser.answer("A.one", one);
    browser.answer("C.three", three);
    browser.answer("B.two", Json::Value(Json::objectValue));
    const auto all = browser.callAll({{"A.one", Json::Value(), ""},
                                      {"B.two", Json::Value(), "S"},
                                      {"C.three", Json::Value(), ""}},
                                     1000);
    ASSERT_TRUE(all) << all.error();
    ASSERT_EQ(all->size(), 3u);
    EXPECT_EQ((*all)[0]["n"], 1);
    EXPECT_TRUE((*all)[1].isObject());
    EXPECT_EQ((*all)[2]["n"], 3);
    const std::vector<testing::FakeDevTools::Command> sent = browser.taken();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[1].method, "B.two");
    EXPECT_EQ(sent[1].sessionId, "S");
    // One unanswered command fails the whole call by its name, though those around it answered.
    const auto late = browser.callAll({{"A.one", Json::Value(), ""},
                                       {"D.none", Json::Value(), ""},
                                       {"C.three", Json::Value(), ""}},
                                      1);
    EXPECT_EQ(late.error(), "D.none: no answer within 1 ms");
    // Nothing is sent once the connection is closed.
    browser.close();
    EXPECT_EQ(browser.callAll({{"A.one", Json::Value(), ""}}, 1000).error(),
              "A.one: the browser connection is closed");
}

}  // namespace
}  // namespace cefhx
