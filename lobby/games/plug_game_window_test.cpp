// The plug game window: every sit-down links, records go to the plug-in at once, the game's
// "ready" asks the page for the room.

#include "lobby/games/plug_game_window.h"
#include "lobby/games/game_test_support.h"

namespace lobby {
namespace {

class PlugGameTest : public games::testing::PlugWindowTest<PlugGameWindow> {
protected:
    PlugGameTest()
        : PlugWindowTest({"plug_create", "plug_link", "plug_destroy", "plug_send", "plug_setuser",
                          "plug_setroom"},
                         "son#1") {}

    rt::Ref<PlugGameWindow> make(bool fixSeat) {
        return create(game(6, "cards"), room(3, 1, 2), fixSeat);
    }
};

TEST_F(PlugGameTest, EverySitDownLinksAndUsersGoAtOnce) {
    auto window = make(false);
    EXPECT_EQ(urlOf(window), "resource/gameplug.html?ad=null");
    window->onJsCallBack("onSelfSitDown", rt::Array::of({5, 2, 1001}));
    window->onJsCallBack("onSelfSitDown", rt::Array::of({5, 2, 1001}));
    window->onJsCallBack(
        "onUserEnter",
        rt::Array::of(
            {rt::Record::of({{"uid", 1001}, {"nickname", "Bo"}, {"into_moneys", 250}}), 4, 2}));
    window->onJsCallBack("RoomInfo", rt::Array::of({rt::Record::of({{"kindId", 8}})}));
    window->onJsCallBack("onSocket", rt::Array::of({"hello"}));
    const std::vector<std::string> expected = {
        "plug_create(PlugGameWindow)",
        "plug_link(son#1, cards.exe)",
        "plug_link(son#1, cards.exe)",
        "plug_setuser(son#1, { userId : 1001, name : Bo, gameId : 1200, tableId : 4, chairId : 2, "
        "status : 5, score : 250 })",
        "plug_setroom(son#1, { kindId : 8 })",
        "plug_send(son#1, hello)",
    };
    EXPECT_EQ(plug.calls, expected);
    EXPECT_EQ(window->myChairId, 2);
    EXPECT_EQ(window->myUid, 1001);
    EXPECT_DOUBLE_EQ(window->into_money, 250);
    EXPECT_TRUE(plug.values[3][1].get("score").isString());
    EXPECT_TRUE(minimized(Main::lobbyWindow));
}

TEST_F(PlugGameTest, ReadyTextAsksForTheRoomAndEveryTextReachesThePage) {
    auto window = make(false);
    window->onPlugMsg(R"({"type":"game","tag":"ready","body":null})");
    window->onPlugMsg(R"({"type":"game","tag":"move","body":1})");
    const std::vector<std::string> expected = {
        "getPlugRoomInfo[]", "sendDataToServer[{ type : game, tag : ready, body : null }]",
        "sendDataToServer[{ type : game, tag : move, body : 1 }]"};
    EXPECT_EQ(pageCalls(window), expected);
}

TEST_F(PlugGameTest, ConnectionAlertsGoToTheLobby) {
    auto window = make(false);
    window->gameAlert("您的账号从其他地方登录!");
    window->gameAlert("anything");
    EXPECT_EQ(lobbyCalls(),
              (std::vector<std::string>{"gameAlert[3,1,2,Room,您的账号从其他地方登录!]",
                                        "gameAlert[3,1,2,Room,anything]"}));
}

// Exactly the eight listed alerts enter the lobby's folder again, and only while the window
// holds a plug-in handle.
TEST_F(PlugGameTest, ListedAlertsEnterTheLobbyFolder) {
    auto window = make(false);
    const auto raise = [&](const std::string& text) { window->gameAlert(text); };
    EXPECT_EQ(games::testing::alertsEnteringTheLobbyFolder(raise), games::testing::kLinkAlerts);
    window->destroyPlug();
    EXPECT_EQ(games::testing::alertsEnteringTheLobbyFolder(raise), std::vector<std::string>{});
}

TEST_F(PlugGameTest, GameEndKeepsTheWindowAndDestroyFreesThePlugIn) {
    auto window = make(false);
    Main::lobbyWindow->set_minimized(true);
    window->onGameClose(0);
    EXPECT_EQ(pageCalls(window), std::vector<std::string>{"onGameClose[]"});
    EXPECT_FALSE(minimized(Main::lobbyWindow));
    EXPECT_FALSE(window->isToDestroy);
    EXPECT_FALSE(make(true)->onClose());
    window->on_destroy();
    window->onJsCallBack("RoomInfo", rt::Array::of({rt::Record::of({})}));
    EXPECT_EQ(plug.calls.back(), "plug_destroy(son#1)");
}

TEST_F(PlugGameTest, WithoutAPlugInNothingReachesIt) {
    plug.answers.erase("plug_create");
    auto window = make(false);
    window->onJsCallBack("onSelfSitDown", rt::Array::of({5, 2, 1001}));
    window->onJsCallBack("RoomInfo", rt::Array::of({rt::Record::of({})}));
    window->onJsCallBack("onSocket", rt::Array::of({"x"}));
    EXPECT_EQ(plug.calls, std::vector<std::string>{"plug_create(PlugGameWindow)"});
}

}  // namespace
}  // namespace lobby
