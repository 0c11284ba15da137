// The fishing window: the records it builds for RavoPlug from the page's events.

#include "lobby/games/fish_game_window.h"
#include "lobby/games/game_test_support.h"

namespace lobby {
namespace {

class FishGameTest : public games::testing::PlugWindowTest<FishGameWindow> {
protected:
    FishGameTest()
        : PlugWindowTest({"plug_create", "plug_link", "plug_destroy", "plug_send", "plug_setuser",
                          "plug_setroom", "plug_sendgameconfig", "plug_sendgamestate",
                          "plug_setuserscore", "plug_sendexchangescore", "plug_setuserstatus"},
                         "ravo#1") {}

    rt::Ref<FishGameWindow> make() {
        auto window = create(game(5, "fish"), room(5, 1, 1), false);
        window->onJsCallBack("onSelfSitDown", rt::Array::of({7, 3, 1001}));
        plug.calls.clear();
        plug.values.clear();
        return window;
    }
};

TEST_F(FishGameTest, SitDownLinksTheGame) {
    auto window = create(game(5, "fish"), room(5, 1, 1), false);
    window->onJsCallBack("onSelfSitDown", rt::Array::of({7, 3, 1001}));
    EXPECT_EQ(window->myChairId, 3);
    EXPECT_EQ(window->myUid, 1001);
    EXPECT_EQ(plug.calls.back(), "plug_link(ravo#1, fish.exe)");
}

TEST_F(FishGameTest, OwnUserGetsNoExchangeScoreOthersDo) {
    auto window = make();
    window->onJsCallBack(
        "onUserEnter",
        rt::Array::of(
            {rt::Record::of({{"uid", 1001}, {"nickname", "Me"}, {"into_moneys", "80.5"}}), 2, 3}));
    EXPECT_DOUBLE_EQ(window->into_money, 80.5);
    window->onJsCallBack(
        "onUserEnter",
        rt::Array::of(
            {rt::Record::of(
                 {{"uid", 1002}, {"nickname", "You"}, {"into_moneys", "40"}, {"score", 12}}),
             2, 1}));
    EXPECT_DOUBLE_EQ(window->into_money, 80.5);
    const std::vector<std::string> expected = {
        "plug_setuser(ravo#1, { userId : 1001, name : Me, gameId : 1200, tableId : 2, chairId : 3, "
        "status : 5, score : 80.5 })",
        "plug_setuserscore(ravo#1, { userId : 1001, score : 80.5 })",
        "plug_setuser(ravo#1, { userId : 1002, name : You, gameId : 1200, tableId : 2, chairId : "
        "1, "
        "status : 5, score : 40 })",
        "plug_setuserscore(ravo#1, { userId : 1002, score : 40 })",
        "plug_sendexchangescore(ravo#1, { chairId : 1, x : 12, y : 40 })",
    };
    EXPECT_EQ(plug.calls, expected);
    EXPECT_TRUE(plug.values[4][1].get("x").isFloat());
}

TEST_F(FishGameTest, UserLeaveSendsStatusZero) {
    auto window = make();
    window->onJsCallBack("onUserLeave", rt::Array::of({1002, 2, 1}));
    window->sendUserStatus(1002, 2, 1, rt::Value());
    EXPECT_EQ(plug.calls, (std::vector<std::string>{
                              "plug_setuserstatus(ravo#1, { userId : 1002, tableId : 2, chairId : "
                              "1, status : 0 })",
                              "plug_setuserstatus(ravo#1, { userId : 1002, tableId : 2, chairId : "
                              "1, status : 2 })"}));
}

TEST_F(FishGameTest, DeskBecomesTheGameConfiguration) {
    auto window = make();
    auto fish = [](int32_t status, int32_t score, int32_t x, int32_t y) {
        return rt::Value(rt::Array::of({status, score, rt::Value(rt::Array::of({x, y}))}));
    };
    auto desk = rt::Record::of(
        {{"exchange_ratio_userscore", 1},
         {"exchange_ratio_fishscore", 2},
         {"exchange_count", 3},
         {"min_bullet_multiple", 4},
         {"max_bullet_multiple", 5},
         {"bomb_range_width", 6},
         {"bomb_range_height", 7},
         {"fishes", rt::Array::of({fish(1, 10, 100, 200), fish(0, 20, 1, 2), fish(1, 30, 3, 4)})},
         {"bullets", rt::Array::of({rt::Value(rt::Array::of({9, 8}))})}});
    window->onJsCallBack("deskinfo", rt::Array::of({rt::Value(desk)}));
    EXPECT_EQ(window->buy_unit, 3);
    ASSERT_EQ(plug.values.size(), 1u);
    const rt::Value config = plug.values[0][1];
    EXPECT_EQ(config.get("level"), rt::Value(3));
    EXPECT_EQ(config.get("status"), rt::Value(7));
    const auto items = config.get("item").asArray();
    ASSERT_EQ(items->size(), 3);
    for (const rt::Value& item : items->items()) EXPECT_EQ(item.get("time"), rt::Value(10));
    EXPECT_EQ(items->get(0).get("status"), rt::Value(1));
    EXPECT_EQ(items->get(0).get("score"), rt::Value(10));
    EXPECT_EQ(items->get(0).get("x"), rt::Value(100));
    EXPECT_EQ(items->get(0).get("y"), rt::Value(200));
    EXPECT_EQ(config.get("id").asArray()->get(0).get("x"), rt::Value(9));
}

TEST_F(FishGameTest, ReadyTextAsksForTheRoomAndSendsTheStateFirst) {
    auto window = make();
    window->onPlugMsg(R"({"type":"game","tag":"ready"})");
    EXPECT_EQ(
        pageCalls(window),
        (std::vector<std::string>{"getPlugRoomInfo[]",
                                  "sendDataToServer[{ type : game, tag : ready, body : null }]"}));
    EXPECT_EQ(plug.calls, std::vector<std::string>{"plug_sendgamestate(ravo#1)"});
}

// Without a plug-in handle the window asks the page for no room: nothing could take it.
TEST_F(FishGameTest, WithoutAPlugInTheRoomIsNotAskedFor) {
    auto window = make();
    window->destroyPlug();
    window->sendRoomInfo();
    window->onPlugMsg(R"({"type":"game","tag":"ready"})");
    EXPECT_EQ(
        pageCalls(window),
        std::vector<std::string>{"sendDataToServer[{ type : game, tag : ready, body : null }]"});
    EXPECT_EQ(plug.calls, std::vector<std::string>{"plug_destroy(ravo#1)"});
}

// Every alert reaches the lobby; exactly the eight listed ones enter the lobby's folder again,
// and only while the window holds a plug-in handle.
TEST_F(FishGameTest, ListedAlertsEnterTheLobbyFolderAndAllReachTheLobby) {
    auto window = make();
    window->gameAlert("您的账户余额不足!");
    EXPECT_EQ(lobbyCalls(), std::vector<std::string>{"gameAlert[5,1,1,Room,您的账户余额不足!]"});
    const auto raise = [&](const std::string& text) { window->gameAlert(text); };
    EXPECT_EQ(games::testing::alertsEnteringTheLobbyFolder(raise), games::testing::kLinkAlerts);
    EXPECT_EQ(lobbyCalls().size(), 1 + games::testing::allAlerts().size());
    window->destroyPlug();
    EXPECT_EQ(games::testing::alertsEnteringTheLobbyFolder(raise), std::vector<std::string>{});
}

}  // namespace
}  // namespace lobby
