// PexmorPlug's own primitives through the host: the close with its callback and queued texts.

#include "plugins/core/testing/library_test.h"

namespace plug {
namespace {

using testing::PumpUntil;

class PexmorPlugTest : public testing::LibraryTest<> {
protected:
    void SetUp() override { Open("PexmorPlug"); }

    void LinkWith(const std::string& script) {
        ASSERT_TRUE(
            (*lib)("plug_link", handle, Program("link\n" + script, 516), int32_t{7}).toBool());
        ASSERT_TRUE(PumpUntil([&] { return !handler->calls.empty(); })) << game.Log();
        ASSERT_TRUE(game.WaitForMessages(2, 101));
    }
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
