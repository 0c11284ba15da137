#include "lobby/app/lobby_window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lobby/app/app_windows.h"
#include "lobby/app/window_test_support.h"
#include "lobby/games/game_window.h"
#include "runtime/class_builder.h"
#include "runtime/record.h"

namespace lobby {

// A game window that records the operations the lobby window relays to it.
class RelayedGame : public GameWindow {
    RT_CLASS(RelayedGame)
public:
    std::vector<std::string> received;

    void construct(int32_t gameType, int32_t wmode, bool fixSeat) {
        GameWindow::construct(
            rt::Record::of({{"wmode", wmode}}),
            rt::Record::of({{"game_type", gameType}, {"room_type", 2}, {"room_level", 3}}),
            fixSeat);
    }
    void sendDataToServer(rt::Value data) override { note("sendDataToServer", {data}); }
    void onGamePlayerEvent(std::optional<std::string> data, rt::Value value) override {
        note("onGamePlayerEvent", {rt::toValue(data), value});
    }
    void onAlertCallBack(std::optional<std::string> a, std::optional<std::string> b) override {
        note("onAlertCallBack", {rt::toValue(a), rt::toValue(b)});
    }
    void ReEnterRoom() override { note("ReEnterRoom", {}); }
    void setShow(bool flag) override { note("setShow", {flag}); }
    void messageSendResult(std::optional<std::string> result) override {
        note("messageSendResult", {rt::toValue(result)});
    }
    void startConnServer() override { note("startConnServer", {}); }
    void toEnterGameMoney(rt::Value value) override { note("toEnterGameMoney", {value}); }
    void closeExeGame() override { note("closeExeGame", {}); }

private:
    void note(const std::string& name, std::initializer_list<rt::Value> args) {
        std::string call = name + "(";
        for (const rt::Value& a : args) call += (call.back() == '(' ? "" : ",") + a.toString();
        received.push_back(call + ")");
    }
};

const rt::ClassInfo& RelayedGame::staticClassInfo() {
    return testing::testWindowClass<RelayedGame, GameWindow>("test.RelayedGame");
}

namespace {

class LobbyWindowTest : public testing::LobbyAndLoginTest {
protected:
    // Lists the games as open game windows, in this order, and forgets what they received while
    // they were made.
    void listGames(std::initializer_list<rt::Ref<RelayedGame>> games) {
        for (const rt::Ref<RelayedGame>& game : games) {
            appWindows().gamesWindow->push(game);
            game->received.clear();
        }
    }

    rt::Value page(const std::string& name, std::initializer_list<rt::Value> args = {}) {
        return lobby->onJsCallBack(name, rt::Array::of(args));
    }
    int lobbyShows() const {
        int n = 0;
        for (const auto& c : host.calls("cef_window_show")) n += c.args[0] == rt::Value("lobby");
        return n;
    }
    std::vector<std::string> pageFunctions() const {
        std::vector<std::string> out;
        for (const auto& [name, args] : pageCalls()) out.push_back(name);
        return out;
    }
};

TEST_F(LobbyWindowTest, IsMadeOnTheLobbyPageWithTheSystemMessageHookAndAnsiMenuTexts) {
    EXPECT_EQ(lobby->get_url(), "/opt/lobby/resource/lobby.html");
    EXPECT_TRUE(lobby->get_sysMessageHook());
    EXPECT_EQ(LobbyWindow::quitStr, "退出");
    EXPECT_FALSE(lobby->isLogin);
}

TEST_F(LobbyWindowTest, SetLoginStateOtherThanOneDoesNothing) {
    page("setLoginState", {0});
    page("setLoginState", {"1x"});
    EXPECT_TRUE(host.calls().empty());
    EXPECT_FALSE(lobby->isLogin);
}

TEST_F(LobbyWindowTest, TheFirstLoginMaximisesMakesTheTrayAndHidesTheLoginWindow) {
    lobby->recordAccount = true;
    lobby->loginUserName = "user";
    lobby->loginPassword = "secret";
    page("setLoginState", {1});
    EXPECT_TRUE(lobby->isLogin);
    EXPECT_TRUE(LobbyWindow::isInit);
    EXPECT_EQ(prop("lobby", testing::kMaximized), rt::Value(true));
    EXPECT_EQ(prop("login", testing::kEnabled), rt::Value(false));
    ASSERT_EQ(host.count("systray_create_icon"), 1);
    EXPECT_EQ(host.calls("systray_create_icon")[0].args,
              (std::vector<rt::Value>{"lobby", "/opt/lobby/Lobby.ico", "Lobby"}));
    EXPECT_EQ(pageFunctions(), std::vector<std::string>{"recodeAccount"});
    EXPECT_EQ(lobbyShows(), 1);

    host.clearCalls();
    page("setLoginState", {1});
    EXPECT_EQ(host.count("systray_create_icon"), 0);
    EXPECT_EQ(lobbyShows(), 0);
}

TEST_F(LobbyWindowTest, ALoginWithoutRememberingClearsTheRecordedAccount) {
    appWindows().loginWindow = nullptr;
    page("setLoginState", {1});
    EXPECT_TRUE(lobby->isLogin);
    EXPECT_EQ(scripts(), std::vector<std::string>{"clearRecordAccount();"});
}

TEST_F(LobbyWindowTest, SwfReadyHandsThePageItsConfigurationAndShowsTheLogin) {
    Config::configs["debug"] = "1";
    lobby->isLogin = true;
    page("setSwfReady");
    EXPECT_FALSE(lobby->isLogin);
    auto calls = pageCalls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[0].first, "loadAppConfig");
    EXPECT_EQ(
        calls[0].second.asArray()->items(),
        (std::vector<rt::Value>{"http://127.0.0.1:8080", nullptr, nullptr, nullptr, "1", ""}));
    EXPECT_EQ(calls[1].first, "init");
    EXPECT_EQ(prop("login", testing::kEnabled), rt::Value(true));
}

TEST_F(LobbyWindowTest, LoginAnswersReachTheLoginWindowWhenThereIsOne) {
    page("setCaptchaUrl", {nullptr});
    page("setLoginResult", {"bad'"});
    ASSERT_EQ(pageCalls().size(), 1u);
    EXPECT_EQ(pageCalls()[0].second.asArray()->items(), std::vector<rt::Value>{"null"});
    EXPECT_EQ(scripts(), std::vector<std::string>{"setLoginResult('bad\\'')"});
    appWindows().loginWindow = nullptr;
    host.clearCalls();
    page("setCaptchaUrl", {"x"});
    page("setLoginResult", {"ok"});
    EXPECT_TRUE(host.calls().empty());
}

TEST_F(LobbyWindowTest, RemoteConfigRefreshesTheLoginTipBar) {
    page("setRemoteConfig");
    EXPECT_TRUE(Config::remoteConfigs.isNull());
    rt::Value values = rt::Record::of({{"pop", rt::Array::of({"/help/"})}});
    page("setRemoteConfig", {values});
    EXPECT_EQ(Config::remoteConfigs, values);
    ASSERT_EQ(pageCalls().size(), 1u);
    EXPECT_EQ(pageCalls()[0].first, "initTipBar");
    EXPECT_EQ(page("getRemoteConfig"), values);
}

TEST_F(LobbyWindowTest, MessagesReachEveryGameWindow) {
    auto a = rt::create<testing::Recorder>();
    auto b = rt::create<testing::Recorder>();
    appWindows().gamesWindow->push(a);
    appWindows().gamesWindow->push(b);
    rt::Value message = rt::Record::of({{"messageType", 99}});
    page("onMessage", {message});
    page("onAccountUpdate", {5});
    for (const auto& w : {a, b}) {
        ASSERT_EQ(w->calls.size(), 2u);
        EXPECT_EQ(w->calls[0].first, "onMessage");
        EXPECT_EQ(w->calls[0].second, std::vector<rt::Value>{message});
        EXPECT_EQ(w->calls[1].first, "onAccountUpdate");
    }
    EXPECT_EQ(page("getGameWndCount"), rt::Value(2));
}

TEST_F(LobbyWindowTest, CallsForAGameKeyWithoutAWindowDoNothing) {
    for (const char* name :
         {"sendDataToServer", "onGamePlayerEvent", "onAlertCallBack", "toEnterGameMoney",
          "startConnServer", "gameMsgSnedResult", "closeExeGame"}) {
        EXPECT_TRUE(page(name, {1, 2, 3, "data", "more"}).isNull()) << name;
    }
    EXPECT_TRUE(pageCalls().empty());
}

TEST_F(LobbyWindowTest, CallsForAGameKeyReachOnlyTheWindowOfThatKey) {
    auto game = rt::create<RelayedGame>(1, 0, false);
    auto other = rt::create<RelayedGame>(7, 0, false);
    listGames({other, game});
    page("sendDataToServer", {1, 2, 3, "packet"});
    page("onGamePlayerEvent", {1, 2, 3, nullptr, 4});
    page("onAlertCallBack", {1, 2, 3, "text", 1});
    page("toEnterGameMoney", {1, 2, 3, 500});
    page("startConnServer", {1, 2, 3});
    page("gameMsgSnedResult", {1, 2, 3, 0});
    page("closeExeGame", {1, 2, 3});
    EXPECT_EQ(game->received, (std::vector<std::string>{
                                  "sendDataToServer(packet)", "onGamePlayerEvent(null,4)",
                                  "onAlertCallBack(text,1)", "toEnterGameMoney(500)",
                                  "startConnServer()", "messageSendResult(0)", "closeExeGame()"}));
    EXPECT_TRUE(other->received.empty());
}

TEST_F(LobbyWindowTest, ShowingAFixedSeatFishGameReEntersItsRoom) {
    auto fish = rt::create<RelayedGame>(1, 1, true);
    auto plain = rt::create<RelayedGame>(5, 1, false);
    listGames({fish, plain});
    page("showGameWindow", {1, 2, 3});
    page("showGameWindow", {5, 2, 3});
    EXPECT_EQ(fish->received, (std::vector<std::string>{"ReEnterRoom()", "setShow(true)"}));
    EXPECT_EQ(plain->received, std::vector<std::string>{"setShow(true)"});
}

TEST_F(LobbyWindowTest, ShowGameWindowMinimisesTheLobbyEvenWithoutAGameWindow) {
    page("showGameWindow", {1, 2, 3});
    EXPECT_EQ(prop("lobby", testing::kMinimized), rt::Value(true));
    host.clearCalls();
    page("showGameWindow", {1, 2, 3});
    EXPECT_EQ(host.count("window_set_prop"), 0);
}

TEST_F(LobbyWindowTest, ClosingStopsTheDownloadEngineAndQuitsOnce) {
    auto engine = rt::create<testing::Recorder>();
    lobby->downloadGame = engine;
    page("closeWindow");
    EXPECT_FALSE(lobby->downloadGame);
    ASSERT_EQ(engine->calls.size(), 1u);
    EXPECT_EQ(engine->calls[0].first, "OnDestroy");
    EXPECT_TRUE(lobby->on_close());
    EXPECT_EQ(host.count("cef_app_quit"), 1);
}

TEST_F(LobbyWindowTest, DownloadCallsWaitForTheEngineAndThenReachIt) {
    EXPECT_TRUE(page("getDownInfos").isNull());
    page("removeDownload", {"fish"});
    page("clearDownList");
    auto engine = rt::create<testing::Recorder>();
    lobby->downloadGame = engine;
    page("downloadGame", {"fish", 2});
    page("removeDownload", {"fish"});
    page("getDownInfos");
    ASSERT_EQ(engine->calls.size(), 3u);
    EXPECT_EQ(engine->calls[0].first, "DownloadClient");
    EXPECT_EQ(engine->calls[0].second, (std::vector<rt::Value>{"fish", "2"}));
    EXPECT_EQ(engine->calls[2].first, "getDownloadInfos");
}

TEST_F(LobbyWindowTest, ABossKeyThatCannotBeRegisteredLeavesTheOldKeyInPlace) {
    Config::userSets["hotkey"] = "F9,120,1";
    host.answer("cef_app_registerhotkey", [](std::span<const rt::Value> a) {
        return rt::Value(a[3].toInt() == 121 ? -1 : 7);
    });
    rt::Value set = page("hotkeySet", {1});
    EXPECT_EQ(set.get("code"), rt::Value(120));
    EXPECT_TRUE(page("saveUserSet", {"other", "F10", 121, 1}).isNull());
    EXPECT_EQ(host.count("cef_app_registerhotkey"), 0);
    EXPECT_EQ(page("saveUserSet", {"hotkey", "F10", 121, 1}), rt::Value(false));
    std::vector<int32_t> codes;
    for (const auto& c : host.calls("cef_app_registerhotkey")) codes.push_back(c.args[3].toInt());
    EXPECT_EQ(codes, (std::vector<int32_t>{121, 120}));
    EXPECT_EQ(Config::userSets["hotkey"], "F9,120,1");
}

TEST_F(LobbyWindowTest, SystemServicesGetAnsiTexts) {
    host.answer("cef_unicode2ansi",
                [](std::span<const rt::Value> a) { return rt::Value("A:" + a[0].toString()); });
    EXPECT_EQ(page("copy", {"文本"}), rt::Value(true));
    EXPECT_EQ(host.calls("clipboard_set_text")[0].args[0], rt::Value("A:文本"));
    page("alert", {"标题", "内容", 1});
    EXPECT_EQ(host.calls("dialogs_message_box")[0].args,
              (std::vector<rt::Value>{"A:标题", "A:内容", true}));
    page("runApp", {"game.exe", "unused", "-fast", 1});
    EXPECT_EQ(host.calls("win_create_process")[0].args,
              (std::vector<rt::Value>{"A:game.exe", "-fast", "/opt/lobby/", false, true}));
}

TEST_F(LobbyWindowTest, OperationsForOtherWindowsCallTheLobbyPage) {
    lobby->sendGameDataToServer(1, 2, 3, "payload");
    lobby->closeGameTable(1, 2, 3);
    host.answer("frame_invokejsfunc", rt::Value("info"));
    EXPECT_EQ(lobby->getAccountInfo(), rt::Value("info"));
    EXPECT_EQ(pageFunctions(), (std::vector<std::string>{"sendGameDataToServer", "removeGameTable",
                                                         "getAccountInfo"}));
    EXPECT_TRUE(pageCalls()[2].second.isNull());
    page("sendMsg", {nullptr});
    EXPECT_EQ(pageCalls()[3].second.asArray()->items(), (std::vector<rt::Value>{"null", ""}));
    lobby->showLoginWindow();
    EXPECT_FALSE(lobby->isLogin);
}

TEST_F(LobbyWindowTest, WithoutAPageFrameTheOperationsDoNothing) {
    host.answer("browser_getmainframeid", -1);
    auto blank = open(rt::create<LobbyWindow>(), "blank");
    EXPECT_TRUE(blank->getUserInfo(1, 2, 3, 4).isNull());
    EXPECT_TRUE(blank->getAccountInfo().isNull());
    blank->toLogin("u", "p", "", true);
    blank->gameAlert(1, 2, 3, "a", "b");
    EXPECT_TRUE(pageCalls().empty());
    EXPECT_EQ(blank->loginUserName, "u");
}

}  // namespace
}  // namespace lobby
