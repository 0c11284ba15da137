// The Pexmor fishing window: the two start roads, held-back users, rooms and texts, carried
// money and the self-closing game.

#include "lobby/games/pexmor_fish_game_window.h"
#include "lobby/games/game_test_support.h"

namespace lobby {
namespace {

class PexmorFishTest : public games::testing::PlugWindowTest<PexmorFishGameWindow> {
protected:
    PexmorFishTest()
        : PlugWindowTest({"plug_create", "plug_link", "plug_destroy", "plug_send", "plug_closegame",
                          "plug_setuser", "plug_setroom"},
                         "pex#1") {}

    rt::Ref<PexmorFishGameWindow> make(bool fixSeat, int32_t id = 7) {
        auto info = rt::Record::of({{"wmode", 1}, {"app", "pexfish"}, {"id", id}});
        return create(rt::Value(info), room(2, 3, 1), fixSeat, rt::Value("/gamepexfish.html"));
    }

    static rt::Value user(int32_t uid, const char* money) {
        return rt::Record::of({{"uid", uid}, {"nickname", "Ann"}, {"into_moneys", money}});
    }
};

TEST_F(PexmorFishTest, SitDownStartsOnceWithItsRoomType) {
    auto window = make(false);
    EXPECT_EQ(window->unit_money, 10);
    window->onJsCallBack("onSelfSitDown", rt::Array::of({7, 3, 1001, 2}));
    EXPECT_EQ(window->myChairId, 3);
    EXPECT_EQ(window->myUid, 1001);
    EXPECT_EQ(window->room_type, 2);
    EXPECT_TRUE(minimized(Main::lobbyWindow));
    Main::lobbyWindow->set_minimized(false);
    window->onJsCallBack("onSelfSitDown", rt::Array::of({7, 4, 1002, 5}));
    window->setShow(true);
    EXPECT_EQ(window->myChairId, 4);
    EXPECT_TRUE(minimized(Main::lobbyWindow));
    EXPECT_EQ(plug.calls, (std::vector<std::string>{"plug_create(PexmorFishGameWindow)",
                                                    "plug_link(pex#1, pexfish.exe, 2)"}));
}

TEST_F(PexmorFishTest, SetShowStartsWithRoomTypeZeroAndTurnsTheMessageLoopOn) {
    auto window = make(false);
    window->setShow(true);
    EXPECT_EQ(plug.calls.back(), "plug_link(pex#1, pexfish.exe, 0)");
    EXPECT_EQ(pageCalls(window),
              (std::vector<std::string>{"setMsgLoop[true]", "getPlugRoomInfo[]"}));
}

TEST_F(PexmorFishTest, HeldUsersGoFirstThenRoomsThenTextsAtOnce) {
    auto window = make(false);
    window->setShow(true);
    window->onJsCallBack("onSocket", rt::Array::of({"t1"}));
    window->onJsCallBack("RoomInfo", rt::Array::of({rt::Record::of({{"serverId", 4}})}));
    window->onJsCallBack("onUserEnter", rt::Array::of({user(1002, "30"), 6, 1}));
    window->onPlugLink(false);
    window->onJsCallBack("onSocket", rt::Array::of({"t2"}));
    const std::vector<std::string> tail(plug.calls.begin() + 2, plug.calls.end());
    const std::vector<std::string> expected = {
        "plug_setuser(pex#1, { userId : 1002, name : Ann, gameId : 1200, tableId : 6, chairId : "
        "1, status : 5, score : 30 })",
        "plug_setroom(pex#1, { serverId : 4 })",
        "plug_send(pex#1, t1, true)",
        "plug_send(pex#1, t2, false)",
    };
    EXPECT_EQ(tail, expected) << "after the link a window that is not fixed-seat batches";
}

TEST_F(PexmorFishTest, FixedSeatTextsGoAtOnce) {
    auto window = make(true);
    window->setShow(true);
    window->onPlugLink(true);
    window->sendData("now");
    EXPECT_EQ(plug.calls.back(), "plug_send(pex#1, now, true)");
}

TEST_F(PexmorFishTest, OwnUserSetsTheCarriedMoney) {
    auto window = make(false);
    window->onJsCallBack("onSelfSitDown", rt::Array::of({0, 1, 1001, 0}));
    window->onJsCallBack("onUserEnter", rt::Array::of({user(1002, "99"), 1, 2}));
    EXPECT_EQ(window->into_money, 0);
    window->onJsCallBack("onUserEnter", rt::Array::of({user(1001, "1500.5"), 1, 1}));
    EXPECT_DOUBLE_EQ(window->into_money, 1500.5);
}

TEST_F(PexmorFishTest, GameEndClosesOnlyGame1078AfterTheCallback) {
    auto window = make(false);
    window->setShow(true);
    window->onGameClose(0);
    EXPECT_FALSE(window->process_exist);
    runTasks(window);
    EXPECT_EQ(host.count("cef_window_close"), 0);
    EXPECT_EQ(pageCalls(window).back(), "onGameClose[]");

    auto closing = make(false, 1078);
    closing->setShow(true);
    closing->onGameClose(0);
    EXPECT_EQ(host.count("cef_window_close"), 0) << "not from inside the plug-in's callback";
    runTasks(closing);
    ASSERT_EQ(host.count("cef_window_close"), 1);
    EXPECT_EQ(host.calls("cef_window_close")[0].args[0], closing->_handle);
    EXPECT_FALSE(closing->isToDestroy) << "closed through onClose, not destroyed";
}

TEST_F(PexmorFishTest, GameEndWhileQuittingTellsNobody) {
    auto window = make(false);
    cef::CefApp::isQuit = true;
    window->onGameClose(0);
    cef::CefApp::isQuit = false;
    EXPECT_TRUE(pageCallArgs(window, "onGameClose").empty());
}

TEST_F(PexmorFishTest, CloseButtonAndDestroy) {
    EXPECT_FALSE(make(true)->onClose());
    auto window = make(false);
    EXPECT_TRUE(window->onClose());
    window->onJsCallBack("onSelfSitDown", rt::Array::of({0, 1, 1001, 0}));
    window->on_destroy();
    EXPECT_EQ(plug.calls.back(), "plug_destroy(pex#1)");
    EXPECT_EQ(window->myUid, -1);
    EXPECT_EQ(window->myChairId, -2);
    EXPECT_FALSE(window->process_exist);
}

TEST_F(PexmorFishTest, AlertsOfTheFiveAreOnlyTraced) {
    auto window = make(false);
    window->gameAlert("长时间未继续，已退出牌桌!");
    window->gameAlert("您的可用金额不足!");
    EXPECT_EQ(PexmorFishGameWindow::plugLibrary.msg_packet_arr->size(), 1);
    EXPECT_EQ(PexmorFishGameWindow::plugLibrary.msg_packet_arr->get(0),
              rt::Value(R"({"type":"game","tag":"alert","body":"您的可用金额不足!"})"));
}

}  // namespace
}  // namespace lobby
