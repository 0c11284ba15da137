// RavoPlug's fishing-game records through the host, byte for byte as the game receives them.

#include "plugins/core/le_bytes.h"
#include "plugins/core/testing/library_test.h"

#include "runtime/array.h"
#include "runtime/record.h"

namespace plug {
namespace {

using testing::GameRun;
using testing::PumpUntil;

int32_t I32(const std::vector<uint8_t>& bytes, size_t at) {
    return static_cast<int32_t>(GetU32(&bytes[at]));
}

class RavoPlugTest : public testing::LibraryTest<> {
protected:
    void SetUp() override {
        Open("RavoPlug");
        ASSERT_TRUE((*lib)("plug_link", handle, Program("link\n", 4)).toBool());
        ASSERT_TRUE(PumpUntil([&] { return !handler->calls.empty(); })) << game.Log();
        ASSERT_TRUE(game.WaitForMessages(2, 101));
    }
};

TEST_F(RavoPlugTest, GameConfigFillsTheSlotsOfItsElements) {
    auto fish = [](int32_t base) {
        return rt::Record::of({{"score", base},
                               {"status", base + 1},
                               {"x", base + 2},
                               {"y", base + 3},
                               {"time", base + 4}});
    };
    const auto config = rt::Record::of(
        {{"x", int32_t{1}},
         {"y", int32_t{2}},
         {"level", int32_t{3}},
         {"elapsed", int32_t{4}},
         {"time", int32_t{5}},
         {"exper", int32_t{6}},
         {"status", int32_t{7}},
         {"item", rt::Array::of({fish(10), rt::Value(int32_t{0}), fish(30)})},
         {"id", rt::Array::of({rt::Record::of({{"x", int32_t{50}}, {"y", int32_t{51}}}),
                               rt::Record::of({{"x", int32_t{60}}})})}});
    (*lib)("plug_sendgameconfig", handle, config);
    (*lib)("plug_sendgameconfig", handle, rt::Value("no object"));
    (*lib)("plug_sendgamestate", handle);
    ASSERT_TRUE(game.WaitForMessages(1, 2, 2)) << game.Log();
    PumpUntil([] { return false; }, 100);
    const auto data = game.Messages(1, 2);
    ASSERT_EQ(data.size(), 2u);
    const auto& p = data[0].payload;
    ASSERT_EQ(p.size(), 896u);
    EXPECT_EQ(GetU16(&p[0]), 200);
    EXPECT_EQ(GetU16(&p[2]), 100);
    for (int i = 0; i < 7; ++i) EXPECT_EQ(I32(p, 4 + 4 * i), i + 1);
    const size_t columns[] = {32, 192, 352, 512, 672};
    for (int c = 0; c < 5; ++c) {
        EXPECT_EQ(I32(p, columns[c]), 10 + c);
        EXPECT_EQ(I32(p, columns[c] + 4), 0) << "an element that is not an object";
        EXPECT_EQ(I32(p, columns[c] + 8), 30 + c);
        EXPECT_EQ(I32(p, columns[c] + 12), 0);
    }
    EXPECT_EQ(I32(p, 832), 50);
    EXPECT_EQ(I32(p, 836), 60);
    EXPECT_EQ(I32(p, 864), 51);
    EXPECT_EQ(I32(p, 868), 0) << "a missing field";
    EXPECT_EQ(data[1].decoded, "state value=30");
    EXPECT_EQ(data[1].payload.size(), 136u);
}

TEST_F(RavoPlugTest, ScoreStatusAndExchangeRecords) {
    (*lib)("plug_setuserscore", handle,
           rt::Record::of({{"userId", int32_t{1001}}, {"score", "-5"}}));
    (*lib)("plug_setuserstatus", handle,
           rt::Record::of({{"userId", int32_t{1001}},
                           {"tableId", int32_t{3}},
                           {"chairId", int32_t{2}},
                           {"status", int32_t{2}}}));
    (*lib)("plug_sendexchangescore", handle,
           rt::Record::of({{"chairId", int32_t{1}}, {"x", 12.9}, {"y", -12.9}}));
    (*lib)("plug_setuserscore", handle, rt::Value(int32_t{4}));
    ASSERT_TRUE(game.WaitForMessages(1, 2)) << game.Log();
    ASSERT_TRUE(game.WaitForMessages(4, 101, 2)) << game.Log();
    const auto scores = game.Messages(4, 101);
    EXPECT_EQ(scores[0].payload.size(), 56u);
    EXPECT_EQ(scores[0].decoded, "score user=1001 score=-5");
    EXPECT_EQ(scores[1].decoded, "score user=0 score=0") << "not an object: every field 0";
    const auto status = game.Messages(4, 102);
    ASSERT_EQ(status.size(), 1u);
    EXPECT_EQ(status[0].decoded, "status user=1001 table=3 chair=2 status=2");
    EXPECT_EQ(status[0].payload.size(), 12u);
    const auto exchange = game.Messages(1, 2);
    ASSERT_EQ(exchange.size(), 1u);
    EXPECT_EQ(exchange[0].decoded, "exchange chair=1 x=12 y=-12");
    EXPECT_EQ(exchange[0].payload.size(), 22u);
}

TEST_F(RavoPlugTest, VanishedGameWindowNoticedOnlyAtTheTenSecondCheck) {
    GameRun second;
    handler->calls.clear();
    (*lib)("plug_destroy", handle);
    handle = (*lib)("plug_create", handler);
    const std::u16string program = second.Program("link\nwaitfor 2 101\nunwindow\n", 4);
    ASSERT_TRUE((*lib)("plug_link", handle, std::string(program.begin(), program.end())).toBool());
    ASSERT_TRUE(second.WaitForLog("unwindow")) << second.Log();
    ml_clock_advance(5000);
    PumpUntil([] { return false; }, 100);
    EXPECT_EQ(handler->calls, std::vector<std::string>{"onPlugLink(false)"});
    ml_clock_advance(5000);
    ASSERT_TRUE(PumpUntil([&] { return handler->calls.size() == 2; }));
    EXPECT_EQ(handler->calls[1], "onGameClose(0)");
}

}  // namespace
}  // namespace plug
