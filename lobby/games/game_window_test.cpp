// The plain game window: its page address, the lobby road of its page calls, fixed-seat
// visibility and the reconnect prompts.

#include "lobby/app/app_windows.h"
#include "lobby/app/install_paths.h"
#include "lobby/games/game_test_support.h"

namespace lobby {
namespace {

using games::testing::GameTest;

class GameWindowTest : public GameTest {
protected:
    rt::Ref<GameWindow> make(bool fixSeat, int32_t mode = 0) {
        return ready(rt::create<GameWindow>(game(mode), room(1, 2, 3), fixSeat));
    }
};

TEST_F(GameWindowTest, PageAddressCarriesTheAdValueOnce) {
    installPaths().appPath = "/opt/lobby/";
    Config::remoteConfigs = rt::Record::of({{"ad", 3}});
    EXPECT_EQ(urlOf(make(false)), "/opt/lobby/resource/game.html?ad=3");
    Config::remoteConfigs = nullptr;
    EXPECT_EQ(urlOf(make(false)), "/opt/lobby/resource/game.html?ad=null");
    auto kept = rt::create<GameWindow>(game(0), room(1, 1, 1), false, "/x.html?a=1&ad=9");
    EXPECT_EQ(urlOf(kept), "/opt/lobby/resource/x.html?a=1&ad=9");
    auto outside =
        rt::create<GameWindow>(game(0), room(1, 1, 1), false, "tivro/x.html?ad=1", 1380, 830, true);
    EXPECT_EQ(urlOf(outside), "/opt/lobby/tivro/x.html?ad=1");
    Config::remoteConfigs = rt::Record::of({{"ad", "1&x=2#top"}});
    EXPECT_EQ(urlOf(make(false)), "/opt/lobby/resource/game.html?ad=1%26x%3D2%23top")
        << "a run-time value cannot add query members";
}

TEST_F(GameWindowTest, ReadyPageGetsTheGameAndAnOrdinaryWindowIsShown) {
    pageAnswers("getAccountInfo", rt::Record::of({{"uid", 1001}}));
    Config::configs["geteway_url"] = "http://127.0.0.1:9000";
    auto window = make(false);
    window->show(false);
    window->onJsCallBack("setSwfReady", rt::Array::of({}));
    const auto open = pageCallArgs(window, "openGame");
    ASSERT_EQ(open.size(), 1u);
    EXPECT_EQ(open[0]->get(2), rt::Value(false));
    EXPECT_EQ(open[0]->get(3).get("uid"), rt::Value(1001));
    EXPECT_EQ(open[0]->get(4).get("gateway"), rt::Value("http://127.0.0.1:9000"));
    EXPECT_EQ(open[0]->get(4).get("site"), rt::Value("http://127.0.0.1:8080"));
    EXPECT_TRUE(window->get_visible());
    EXPECT_TRUE(scripts(window).empty());
}

TEST_F(GameWindowTest, FixedSeatWindowStartsHiddenAndTellsItsPage) {
    auto window = make(true);
    EXPECT_FALSE(window->get_visible());
    EXPECT_FALSE(window->pervVisible);
    window->onJsCallBack("setSwfReady", rt::Array::of({}));
    EXPECT_FALSE(window->get_visible());
    EXPECT_EQ(scripts(window), std::vector<std::string>(2, "sendWindowVisible(false)"))
        << "once from the constructor's setShow, once when the page is ready";
    window->hotkeyShow(true);
    EXPECT_FALSE(window->get_visible()) << "the boss key leaves a never-shown window alone";
    window->setShow(true);
    EXPECT_TRUE(window->get_visible());
    EXPECT_EQ(scripts(window).back(), "sendWindowVisible(true)");
    window->hotkeyShow(false);
    EXPECT_FALSE(window->get_visible());
}

TEST_F(GameWindowTest, FixedSeatCloseButtonHidesOrMinimisesButNeverCloses) {
    auto window = make(true);
    window->setShow(true);
    appWindows().lobbyWindow->set_minimized(true);
    pageAnswers("closeGameWindow", true);
    EXPECT_FALSE(window->onClose());
    EXPECT_FALSE(window->get_visible());
    EXPECT_FALSE(minimized(appWindows().lobbyWindow)) << "no game window left in view";

    auto other = make(false);
    window->setShow(true);
    appWindows().lobbyWindow->set_minimized(true);
    pageAnswers("closeGameWindow", 1);
    appWindows().gamesWindow->push(rt::Value(other));
    EXPECT_FALSE(window->onClose());
    EXPECT_TRUE(window->get_visible());
    EXPECT_TRUE(minimized(window));
    EXPECT_TRUE(minimized(appWindows().lobbyWindow)) << "the other game window is in view";
    EXPECT_TRUE(other->onClose());
}

TEST_F(GameWindowTest, ReconnectPromptsAreComparedByteForByte) {
    auto window = make(false);
    const char* prompts[] = {"服务器连接错误,是否重新连接?", "连接已断开,是否重新连接!",
                             "系统异常,连接断开,是否重连?", "进入房间超时，是否重新连接?"};
    for (const char* prompt : prompts) {
        window->onAlertCallBack(prompt, "否");
        window->onAlertCallBack(prompt, "是");
    }
    window->onAlertCallBack("连接超时，是否重新连接?", "是");
    window->onAlertCallBack("服务器连接错误，是否重新连接?", "是");
    window->onAlertCallBack("进入房间超时,是否重新连接?", "是");
    EXPECT_EQ(scripts(window), std::vector<std::string>(4, "socketConnect(true)"));
}

TEST_F(GameWindowTest, PageCallsReachTheLobbyWithTheGameKey) {
    pageAnswers("getUserInfo", "user 5");
    auto window = make(false);
    window->onJsCallBack("onSocketData", rt::Array::of({"data"}));
    window->onJsCallBack("onAccountEvent", rt::Array::of({7}));
    window->onJsCallBack("gameAlert", rt::Array::of({"text"}));
    // Numeric text counts as its number, as carried money does; other text as 0.
    window->onJsCallBack("showGameGetMoneyUI", rt::Array::of({1, "2.5"}));
    window->onJsCallBack("showGameGetMoneyUI", rt::Array::of({"30", "many"}));
    EXPECT_EQ(window->onJsCallBack("getUserInfo", rt::Array::of({5})), rt::Value("user 5"));
    EXPECT_EQ(window->onJsCallBack("onSocketData", rt::Array::of({"x"})), rt::Value());
    const std::vector<std::string> expected = {
        "onSocketData[1,2,3,data]",       "onAccountEvent[1,2,3,7]",
        "gameAlert[1,2,3,Room,text]",     "showGameGetMoneyUI[1,2,3,1,2.5]",
        "showGameGetMoneyUI[1,2,3,30,0]", "getUserInfo[5,1,2,3]",
        "onSocketData[1,2,3,x]"};
    EXPECT_EQ(lobbyCalls(), expected);
}

TEST_F(GameWindowTest, DestroyWindowClosesOnlyAnOrdinaryWindow) {
    auto fixed = make(true);
    fixed->onJsCallBack("destroyWindow", rt::Array::of({}));
    EXPECT_FALSE(fixed->isToDestroy);
    EXPECT_EQ(lobbyCalls(), std::vector<std::string>{"removeGameTable[1,2,3]"});
    auto window = make(false);
    window->onJsCallBack("destroyWindow", rt::Array::of({}));
    EXPECT_TRUE(window->isToDestroy);
}

TEST_F(GameWindowTest, SetWindowVisibleShowsOrHidesAndMovesTheLobby) {
    auto window = make(true);
    window->onJsCallBack("setWindowVisible", rt::Array::of({true}));
    EXPECT_TRUE(window->get_visible());
    EXPECT_TRUE(window->pervVisible);
    EXPECT_TRUE(minimized(appWindows().lobbyWindow));
    window->onJsCallBack("setWindowVisible", rt::Array::of({false}));
    EXPECT_FALSE(window->get_visible());
    EXPECT_FALSE(window->pervVisible);
    EXPECT_FALSE(minimized(appWindows().lobbyWindow));
}

TEST_F(GameWindowTest, CheckNeedsTheWholeKey) {
    auto window = rt::create<GameWindow>(
        game(0), rt::Record::of({{"game_type", 1}, {"room_type", 2}}), false);
    EXPECT_FALSE(window->check(1, 2, 0));
    EXPECT_TRUE(make(false)->check(1, 2, 3));
    EXPECT_FALSE(make(false)->check(1, 3, 2));
}

TEST_F(GameWindowTest, MoneyValueCannotRunScript) {
    auto window = make(false);
    window->toEnterGameMoney(250);
    window->toEnterGameMoney("12.5");
    window->toEnterGameMoney("1);alert('x'");
    const auto run = scripts(window);
    ASSERT_EQ(run.size(), 3u);
    EXPECT_EQ(run[0], "toEnterGameMoney(250)");
    EXPECT_EQ(run[1], "toEnterGameMoney(12.5)");
    EXPECT_EQ(run[2], "toEnterGameMoney('1);alert(\\'x\\'')");
}

TEST_F(GameWindowTest, BrowserCreatedMinimisesTheLobbyExceptForAFixedSeat) {
    make(true);
    EXPECT_FALSE(minimized(appWindows().lobbyWindow));
    auto unity = rt::create<GameWindow>(game(2), room(1, 1, 1), true);
    ready(unity);
    EXPECT_TRUE(unity->get_visible()) << "mode 2 shows itself even with a fixed seat";
    EXPECT_TRUE(minimized(appWindows().lobbyWindow));
}

}  // namespace
}  // namespace lobby
