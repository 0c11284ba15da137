// PexmorPlug's own primitives through the host: the close with its callback and queued texts.

#include "plugins/core/testing/game_run.h"
#include "plugins/core/testing/plug_host.h"

#include "platform/msgloop/msgloop.h"
#include "runtime/create.h"

#include <gtest/gtest.h>

namespace plug {
namespace {

using testing::GameRun;
using testing::Handler;
using testing::PlugLibrary;
using testing::PumpUntil;

class PexmorPlugTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::StartLoop();
        lib = std::make_unique<PlugLibrary>("PexmorPlug");
        handler = rt::create<Handler>();
        handle = (*lib)("plug_create", handler);
    }

    void TearDown() override {
        (*lib)("plug_destroy", handle);
        lib.reset();
        ml_shutdown();
    }

    void LinkWith(const std::string& script) {
        const std::u16string program = game.Program("link\n" + script, 516);
        ASSERT_TRUE(
            (*lib)("plug_link", handle, std::string(program.begin(), program.end()), int32_t{7})
                .toBool());
        ASSERT_TRUE(PumpUntil([&] { return !handler->calls.empty(); })) << game.Log();
        ASSERT_TRUE(game.WaitForMessages(2, 101));
    }

    GameRun game;
    std::unique_ptr<PlugLibrary> lib;
    rt::Ref<Handler> handler;
    rt::Value handle;
};

TEST_F(PexmorPlugTest, RoomTypeOnTheCommandLine) {
    LinkWith("");
    EXPECT_NE(game.Log().find(" room=7"), std::string::npos) << game.Log();
}

TEST_F(PexmorPlugTest, CloseGameQuitsAndCallsOnGameCloseOnce) {
    LinkWith("quitgoodbye\nquitcode 3\n");
    EXPECT_TRUE((*lib)("plug_closegame", handle).toBool());
    PumpUntil([] { return false; }, 100);
    EXPECT_EQ(handler->calls, (std::vector<std::string>{"onPlugLink(true)", "onGameClose(0)"}));
    ASSERT_EQ(game.Messages(2, 100).size(), 1u);
    EXPECT_EQ(game.Messages(2, 100)[0].tag, 257u);
    EXPECT_TRUE((*lib)("plug_closegame", handle).toBool());
    EXPECT_EQ(handler->calls.size(), 2u) << "no game, no callback";
}

TEST_F(PexmorPlugTest, QueuedTextsLeaveAsOneBatchAfterImmediateOnes) {
    LinkWith("");
    (*lib)("plug_send", handle, "a", false);
    (*lib)("plug_send", handle, "b", false);
    (*lib)("plug_send", handle, "now", true);
    (*lib)("plug_send", handle, "c", false);
    ml_clock_advance(100);
    ASSERT_TRUE(game.WaitForMessages(1, 2, 2)) << game.Log();
    const auto texts = game.Messages(1, 2);
    EXPECT_EQ(texts[0].decoded, "text prefix=516 length=3 value=\"now\"");
    EXPECT_EQ(texts[1].decoded,
              "text prefix=516 length=18 value=\"[ \\\"a\\\", \\\"b\\\", \\\"c\\\" ]\\x0a\"");
}

}  // namespace
}  // namespace plug
