// Messages from the browser of unexpected shapes: each is dropped, and the next one is handled.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "platform/cefhx/browser_host.h"
#include "platform/cefhx/json_fields.h"
#include "platform/msgloop/msgloop.h"

namespace cefhx {
namespace {

class BrowserMessages : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host.ensureLoop());
        ASSERT_EQ(pipe2(events, O_NONBLOCK | O_CLOEXEC), 0);
        ASSERT_EQ(pipe2(commands, O_NONBLOCK | O_CLOEXEC), 0);
        host.connect(commands[1], events[0]);
    }
    void TearDown() override {
        host.cdp().close();
        for (int fd : {events[0], events[1], commands[0], commands[1]}) close(fd);
    }
    // Hands one message to the host as if the browser had sent it.
    void receive(const std::string& text) {
        std::string framed = text;
        framed.push_back('\0');
        ASSERT_EQ(write(events[1], framed.data(), framed.size()),
                  static_cast<ssize_t>(framed.size()));
        host.cdp().onReadable();
    }
    // What the host has sent since the last look.
    std::string sent() {
        std::string out;
        char chunk[4096];
        ssize_t n;
        while ((n = read(commands[0], chunk, sizeof chunk)) > 0) out.append(chunk, n);
        return out;
    }

    BrowserHost& host = BrowserHost::instance();
    int events[2] = {-1, -1};
    int commands[2] = {-1, -1};
};

TEST_F(BrowserMessages, FieldsOfTheWrongTypeAreDroppedAndTheNextMessageIsHandled) {
    const char* const malformed[] = {
        R"({"id":"seven","result":{}})",
        R"({"id":1.5})",
        R"({"method":["Target.attachedToTarget"]})",
        R"({"method":"Target.attachedToTarget","params":[]})",
        R"({"method":"Target.attachedToTarget","params":{"sessionId":{},"targetInfo":{}}})",
        R"({"method":"Target.attachedToTarget","params":{"sessionId":"S","targetInfo":7}})",
        R"({"method":"Target.detachedFromTarget","params":{"sessionId":[1]}})",
        R"({"method":"Target.targetInfoChanged","params":{"targetInfo":{"targetId":{}}}})",
        R"({"method":"Fetch.requestPaused","sessionId":"nobody","params":{"requestId":{}}})",
        R"({"method":"Fetch.requestPaused","params":{"requestId":{},"frameId":"F"}})",
        R"({"method":"Fetch.requestPaused","params":{"requestId":"R","frameId":[]}})",
        R"({"method":"Page.frameNavigated","sessionId":{"a":1},"params":{}})",
        R"([1,2,3])",
        R"(not json)",
    };
    const uint64_t before = host.cdp().messagesHandled();
    for (const char* text : malformed) receive(text);
    EXPECT_EQ(host.cdp().messagesHandled(), before + std::size(malformed));
    EXPECT_EQ(sent(), "");
    // Still listening: a page nobody owns is let run.
    receive(R"({"method":"Target.attachedToTarget","params":{"sessionId":"S1",)"
            R"("targetInfo":{"targetId":"T1","type":"page"},"waitingForDebugger":true}})");
    const std::string out = sent();
    EXPECT_NE(out.find("Runtime.runIfWaitingForDebugger"), std::string::npos) << out;
    EXPECT_NE(out.find("\"S1\""), std::string::npos) << out;
    EXPECT_TRUE(host.cdp().isOpen());
}

TEST(JsonFields, RequiredAndOptionalFieldsAreTypeChecked) {
    Json::Value v(Json::objectValue);
    v["s"] = "text";
    v["i"] = 7;
    v["b"] = true;
    v["o"] = Json::Value(Json::objectValue);
    v["n"] = Json::Value();
    EXPECT_EQ(textField(v, "s"), "text");
    EXPECT_EQ(intField(v, "i"), 7);
    EXPECT_TRUE(objectField(v, "o").isObject());
    EXPECT_THROW(textField(v, "i"), MalformedMessage);
    EXPECT_THROW(intField(v, "s"), MalformedMessage);
    EXPECT_THROW(textField(v, "missing"), MalformedMessage);
    EXPECT_THROW(objectField(v, "s"), MalformedMessage);
    // Absent and null take the fallback; another type is malformed all the same.
    EXPECT_EQ(optionalText(v, "missing", "x"), "x");
    EXPECT_EQ(optionalText(v, "n", "x"), "x");
    EXPECT_THROW(optionalText(v, "b"), MalformedMessage);
    EXPECT_THROW(optionalBool(v, "s"), MalformedMessage);
    EXPECT_THROW(optionalInt(v, "s"), MalformedMessage);
    EXPECT_THROW(optionalArraySize(v, "o"), MalformedMessage);
    // Fields of something that is no object are absent, never a crash.
    EXPECT_TRUE(anyField(Json::Value(Json::arrayValue), "x").isNull());
    EXPECT_EQ(optionalText(Json::Value("str"), "x"), "");
    Json::Value big(Json::objectValue);
    big["i"] = Json::Int64(1) << 40;
    EXPECT_THROW(intField(big, "i"), MalformedMessage);
}

}  // namespace
}  // namespace cefhx
