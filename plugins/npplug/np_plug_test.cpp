// npPlug loaded by name as the lobby binds it, against the real game stand-in.

#include "plugins/core/testing/game_run.h"
#include "plugins/core/testing/plug_host.h"

#include "platform/msgloop/msgloop.h"
#include "runtime/create.h"
#include "runtime/primitive.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using plug::testing::GameRun;
using plug::testing::Handler;
using plug::testing::PumpUntil;

class NpPlugTest : public ::testing::Test {
protected:
    void SetUp() override {
        plug::testing::StartLoop();
        const std::pair<const char*, int> all[] = {{"np_create", 1}, {"np_link", 4},
                                                   {"np_onmsg", 3},  {"np_send", 2},
                                                   {"np_unlink", 1}, {"np_destroy", 1}};
        for (const auto& [name, count] : all) np[name] = rt::Primitive::load("npPlug", name, count);
        handler = rt::create<Handler>();
        handle = np["np_create"](handler);
    }

    void TearDown() override {
        np["np_destroy"](handle);
        ml_shutdown();
    }

    void Link(const std::string& script) {
        const std::u16string program = game.Program(script, 4);
        np["np_link"](handle, std::string(program.begin(), program.end()), "4711", "4711");
        ASSERT_TRUE(PumpUntil([&] { return !handler->calls.empty(); })) << game.Log();
    }

    GameRun game;
    std::map<std::string, rt::Primitive> np;
    rt::Ref<Handler> handler;
    rt::Value handle;
};

TEST_F(NpPlugTest, TextsFlowBothWaysOnceLinked) {
    Link("link\ntext {\"type\":\"game\",\"tag\":\"hello\"}\nwaitfor 1 2\ntext not json\n");
    EXPECT_EQ(handler->calls[0], "onPlugLink(false)");
    np["np_send"](handle, "{\"type\":\"_sys_\",\"tag\":\"roominfo\"}");
    ASSERT_TRUE(PumpUntil([&] { return handler->calls.size() == 3; })) << game.Log();
    EXPECT_EQ(handler->calls[1], "onPlugMsg({\"type\":\"game\",\"tag\":\"hello\"})");
    EXPECT_EQ(handler->calls[2], "onPlugMsg(not json)");
    const auto texts = game.Messages(1, 2);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_NE(texts[0].decoded.find("value=\"{\\\"type\\\":\\\"_sys_\\\""), std::string::npos)
        << texts[0].decoded;
}

TEST_F(NpPlugTest, SystemMessagesChangeNothingAndUnlinkStopsTheTexts) {
    Link("link\n");
    np["np_onmsg"](handle, int32_t{1}, int32_t{2});
    np["np_send"](handle, "first");
    ASSERT_TRUE(game.WaitForMessages(1, 2)) << game.Log();
    np["np_unlink"](handle);
    np["np_send"](handle, "second");
    np["np_destroy"](handle);
    PumpUntil([] { return false; }, 200);
    const auto texts = game.Messages(1, 2);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_NE(texts[0].decoded.find("first"), std::string::npos);
    EXPECT_EQ(handler->calls, std::vector<std::string>{"onPlugLink(false)"})
        << "unlink and destroy report no close";
}

// After an unlink the library still holds the game: a new link finds the running game instead
// of starting a second one, and destroy ends it with the quit request (the game ignores it and is
// ended anyway), not by leaving it to notice the vanished window.
TEST_F(NpPlugTest, UnlinkKeepsTheGameForTheNextLinkAndForDestroy) {
    const std::u16string program = game.Program("link\nstay\n", 4);
    const std::string path(program.begin(), program.end());
    np["np_link"](handle, path, "4711", "4711");
    ASSERT_TRUE(PumpUntil([&] { return !handler->calls.empty(); })) << game.Log();
    np["np_unlink"](handle);
    np["np_send"](handle, "while unlinked");
    np["np_link"](handle, path, "4711", "4711");
    ASSERT_TRUE(PumpUntil([&] { return handler->calls.size() >= 2; })) << game.Log();
    EXPECT_EQ(handler->calls, (std::vector<std::string>{"onPlugLink(false)", "onPlugLink(true)"}));
    np["np_send"](handle, "linked again");
    ASSERT_TRUE(game.WaitForMessages(1, 2)) << game.Log();
    const auto texts = game.Messages(1, 2);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_NE(texts[0].decoded.find("linked again"), std::string::npos) << texts[0].decoded;

    np["np_destroy"](handle);
    const std::string log = game.Log();
    EXPECT_NE(log.find("quit ignored"), std::string::npos) << log;
    EXPECT_EQ(log.find("plugin window gone"), std::string::npos) << log;
    EXPECT_EQ(log.find("start window="), log.rfind("start window=")) << "one game only\n" << log;
}

TEST_F(NpPlugTest, GameThatEndsIsReported) {
    Link("link\ngoodbye\n");
    ASSERT_TRUE(PumpUntil([&] { return handler->calls.size() == 2; })) << game.Log();
    EXPECT_EQ(handler->calls[1], "onGameClose(0)");
}

}  // namespace
