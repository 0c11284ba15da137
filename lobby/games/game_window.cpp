#include "lobby/games/game_window.h"

#include <array>
#include <string_view>

#include "lobby/app/app_windows.h"
#include "lobby/app/config.h"
#include "lobby/app/install_paths.h"
#include "lobby/app/lobby_window.h"
#include "lobby/app/main.h"
#include "lobby/bindings/cef/cef_app.h"
#include "lobby/bindings/cef/cef_browser.h"
#include "lobby/bindings/value_access.h"
#include "lobby/games/game_page.h"
#include "runtime/class_builder.h"
#include "runtime/record.h"

namespace lobby {

using games::callPage;
using games::fieldOf;
using games::numberOf;
using games::runScript;

namespace {

// The prompts whose answer "是" reconnects the game, byte for byte.
constexpr std::array<std::string_view, 4> kReconnectPrompts = {
    "服务器连接错误,是否重新连接?",
    "连接已断开,是否重新连接!",
    "系统异常,连接断开,是否重连?",
    "进入房间超时，是否重新连接?",
};

rt::Value configText(const std::string& name) {
    const std::optional<std::string> value = Config::getConfigValue(name);
    return value ? rt::Value(*value) : rt::Value();
}

bool anyGameWindowInView() {
    if (!appWindows().gamesWindow) return false;
    for (const rt::Value& w : appWindows().gamesWindow->items()) {
        rt::Ref<GameWindow> window = w.as<GameWindow>();
        if (window && window->get_visible() && !window->get_minimized()) return true;
    }
    return false;
}

}  // namespace

void GameWindow::construct(rt::Value info, rt::Value room, bool fixSeat, rt::Value page,
                           rt::Value width, rt::Value height, bool appFolderPage) {
    windowMode = games::intField(info, "wmode");
    isFixSeat = fixSeat;
    gameRoom = room;
    gameInfo = info;
    pervVisible = false;
    isInGame = false;

    std::string address = page.isNull() ? std::string("/game.html") : page.toString();
    if (address.find("?ad=") == std::string::npos && address.find("&ad=") == std::string::npos) {
        address += "?ad=" + games::queryEscaped(fieldOf(Config::remoteConfigs, "ad").toString());
    }
    if (!appFolderPage) address = installPaths().localRes + address;
    BaseWindow::construct(address, width.isNull() ? rt::Value(1350) : width,
                          height.isNull() ? rt::Value(714) : height);
    if (rt::Ref<cef::CefBrowser> browser = get_cefBrowser()) browser->isInit = true;
    setShow(!isFixSeat);
}

rt::Value GameWindow::gameType() const {
    return games::intField(gameRoom, "game_type");
}

rt::Value GameWindow::roomType() const {
    return games::intField(gameRoom, "room_type");
}

rt::Value GameWindow::roomLevel() const {
    return games::intField(gameRoom, "room_level");
}

rt::Value GameWindow::roomTitle() const {
    return fieldOf(gameRoom, "title");
}

std::string GameWindow::gameProgram() const {
    return games::textField(gameInfo, "app") + ".exe";
}

void GameWindow::alertLobby(const std::optional<std::string>& message) {
    if (!appWindows().lobbyWindow) return;
    appWindows().lobbyWindow->gameAlert(gameType(), roomType(), roomLevel(), roomTitle(),
                                        message ? rt::Value(*message) : rt::Value());
}

void GameWindow::restoreLobby() {
    if (appWindows().lobbyWindow && appWindows().lobbyWindow->get_minimized()) {
        appWindows().lobbyWindow->set_minimized(false);
    }
}

void GameWindow::minimizeLobby() {
    if (appWindows().lobbyWindow) appWindows().lobbyWindow->set_minimized(true);
}

void GameWindow::closeExeGame() {}

void GameWindow::onGamePlayerEvent(std::optional<std::string> data, rt::Value value) {
    callPage(*this, "onGamePlayerEvent", {data ? rt::Value(*data) : rt::Value(), value});
}

void GameWindow::onAlertCallBack(std::optional<std::string> message,
                                 std::optional<std::string> answer) {
    if (!message || answer != "是") return;
    for (std::string_view prompt : kReconnectPrompts) {
        if (*message == prompt) {
            socketConnect(true);
            return;
        }
    }
}

void GameWindow::socketConnect(bool flag) {
    runScript(*this, flag ? "socketConnect(true)" : "socketConnect(false)");
}

void GameWindow::ReEnterRoom() {
    runScript(*this, "ReEnterRoom()");
}

void GameWindow::hotkeyShow(bool flag) {
    if (pervVisible) show(flag, false, false);
}

void GameWindow::gameAlert(std::optional<std::string> message) {
    alertLobby(message);
}

void GameWindow::onAccountUpdate(rt::Value data) {
    callPage(*this, "onAccountUpdate", {data});
}

void GameWindow::onMessage(rt::Value data) {
    callPage(*this, "onMessage", {data});
}

void GameWindow::setShow(bool flag) {
    pervVisible = flag;
    if (isFixSeat && windowMode == 0) {
        runScript(*this, flag ? "sendWindowVisible(true)" : "sendWindowVisible(false)");
    }
    if (flag) {
        if (get_minimized()) set_minimized(false);
        show(true);
    } else {
        show(false);
    }
}

void GameWindow::messageSendResult(std::optional<std::string> result) {
    callPage(*this, "messageSendResult", {result ? rt::Value(*result) : rt::Value()});
}

void GameWindow::startConnServer() {
    runScript(*this, "startConnServer()");
}

void GameWindow::toEnterGameMoney(rt::Value value) {
    runScript(*this, "toEnterGameMoney(" + games::scriptValue(value) + ")");
}

void GameWindow::sendDataToServer(rt::Value data) {
    callPage(*this, "sendDataToServer", {data});
}

bool GameWindow::check(int32_t game_type, int32_t room_type, int32_t room_level) {
    const rt::Value a = fieldOf(gameRoom, "game_type");
    const rt::Value b = fieldOf(gameRoom, "room_type");
    const rt::Value c = fieldOf(gameRoom, "room_level");
    if (a.isNull() || b.isNull() || c.isNull()) return false;
    return a.toInt() == game_type && b.toInt() == room_type && c.toInt() == room_level;
}

void GameWindow::onSwfReady() {
    const rt::Value accountInfo =
        appWindows().lobbyWindow ? appWindows().lobbyWindow->getAccountInfo() : rt::Value();
    if (isFixSeat) runScript(*this, "sendWindowVisible(false)");
    const rt::Value siteConfig(rt::Record::of({{"site", configText("site")},
                                               {"config", configText("config")},
                                               {"gateway", configText("geteway_url")},
                                               {"media", configText("media_url")},
                                               {"debug", configText("debug")}}));
    callPage(*this, "openGame", {gameInfo, gameRoom, isFixSeat, accountInfo, siteConfig});
    if (!isFixSeat) setShow(true);
}

void GameWindow::setWindowVisible(bool flag) {
    if (flag) {
        if (get_visible()) {
            set_minimized(false);
        } else {
            setShow(true);
        }
        minimizeLobby();
        return;
    }
    pervVisible = false;
    show(false);
    if (appWindows().lobbyWindow) appWindows().lobbyWindow->set_minimized(false);
}

rt::Value GameWindow::onJsCallBack(const std::string& name, rt::Ref<rt::Array> args) {
    LobbyWindow* lobby = appWindows().lobbyWindow.get();
    if (name == "setSwfReady") {
        onSwfReady();
    } else if (name == "onSocketData") {
        if (lobby) lobby->onSocketData(gameType(), roomType(), roomLevel(), arg(args, 0));
    } else if (name == "onAccountEvent") {
        if (lobby) {
            lobby->onAccountEvent(
                gameType(), roomType(), roomLevel(),
                rt::Convert<std::optional<std::string>>::to(textOf(arg(args, 0))));
        }
    } else if (name == "gameAlert") {
        gameAlert(textOf(arg(args, 0)));
    } else if (name == "setWindowVisible") {
        setWindowVisible(arg(args, 0).toBool());
    } else if (name == "sendMsg") {
        if (lobby) {
            lobby->sendMsg(textOf(arg(args, 0)), textOf(arg(args, 1)));
        }
    } else if (name == "destroyWindow") {
        if (!isFixSeat) {
            destroy();
        } else if (lobby) {
            lobby->closeGameTable(gameType(), roomType(), roomLevel());
        }
    } else if (name == "showGameGetMoneyUI") {
        if (lobby) {
            lobby->showGameGetMoneyUI(gameType(), roomType(), roomLevel(), numberOf(arg(args, 0)),
                                      numberOf(arg(args, 1)));
        }
    } else if (name == "getUserInfo") {
        return lobby ? lobby->getUserInfo(arg(args, 0).toInt(), gameType(), roomType(), roomLevel())
                     : rt::Value();
    } else {
        return BaseWindow::onJsCallBack(name, args);
    }
    return {};
}

bool GameWindow::onClose() {
    if (!isFixSeat) return true;
    if (callPage(*this, "closeGameWindow", {true}) == rt::Value(true)) {
        setShow(false);
    } else {
        set_minimized(true);
    }
    if (anyGameWindowInView()) return false;
    restoreLobby();
    return false;
}

void GameWindow::onDestroy() {
    if (!cef::CefApp::isQuit) Main::closeGame(rt::Ref<GameWindow>(this));
}

void GameWindow::onBrowserCreated() {
    BaseWindow::onBrowserCreated();
    if (isFixSeat && windowMode != 2) return;
    if (windowMode == 2) setShow(true);
    minimizeLobby();
}

const rt::ClassInfo& GameWindow::staticClassInfo() {
    using W = GameWindow;
    static const rt::ClassInfo& info =
        rt::ClassBuilder<W>("GameWindow")
            .extends<BaseWindow>()
            .fields(RT_NAMED(W, windowMode, isFixSeat, pervVisible, isInGame, gameRoom, gameInfo))
            .methods(RT_NAMED(W, closeExeGame, onGamePlayerEvent, onAlertCallBack, socketConnect,
                              ReEnterRoom, hotkeyShow, gameAlert, onAccountUpdate, onMessage,
                              setShow, messageSendResult, startConnServer, toEnterGameMoney,
                              sendDataToServer, check))
            .constructor(&W::construct)
            .build();
    return info;
}

RT_REGISTER_CLASS(GameWindow);

}  // namespace lobby
