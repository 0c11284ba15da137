#include "lobby/app/lobby_window.h"

#include <utility>

#include "lobby/app/app_windows.h"
#include "lobby/app/config.h"
#include "lobby/app/install_paths.h"
#include "lobby/app/login_window.h"
#include "lobby/app/main.h"
#include "lobby/app/page_calls.h"
#include "lobby/app/version_check.h"
#include "lobby/bindings/cef/cef_app.h"
#include "lobby/bindings/cef/cef_frame.h"
#include "lobby/bindings/syslite/clipboard.h"
#include "lobby/bindings/syslite/dialogs.h"
#include "lobby/bindings/syslite/tools.h"
#include "runtime/class_builder.h"
#include "runtime/class_info.h"
#include "runtime/create.h"
#include "runtime/record.h"
#include "runtime/trace.h"

namespace lobby {
namespace {

// Calls `member` of every open game window with `value`.
void toEveryGame(const char* member, const rt::Value& value) {
    rt::Ref<rt::Array> games = appWindows().gamesWindow;
    if (!games) return;
    // A copy: a game window may leave the list while it handles the call.
    std::vector<rt::Value> windows = games->items();
    for (const rt::Value& window : windows) window.callMember(member, {value});
}

}  // namespace

void LobbyWindow::construct() {
    isLogin = false;
    isInit = false;
    quitStr = cef::CefApp::unicode2Ansi("退出");
    updateStr = cef::CefApp::unicode2Ansi("检查更新");
    aboutStr = cef::CefApp::unicode2Ansi("关于");
    BaseWindow::construct(installPaths().localRes + "/lobby.html", nullptr, nullptr);
    set_sysMessageHook(true);
}

rt::Ref<cef::CefFrame> LobbyWindow::pageFrame() {
    return mainFrameOf(rt::Ref<cef::CefWindow>(this));
}

rt::Value LobbyWindow::callPage(const char* function, rt::Ref<rt::Array> args) {
    rt::Ref<cef::CefFrame> frame = pageFrame();
    if (!frame) return {};
    return frame->invokeJsFunc(function, args ? rt::Value(args) : rt::Value());
}

rt::Value LobbyWindow::getUserInfo(rt::Value a, rt::Value b, rt::Value c, rt::Value d) {
    return callPage("getUserInfo", rt::Array::of({a, b, c, d}));
}

void LobbyWindow::closeGameTable(rt::Value gameType, rt::Value roomType, rt::Value roomLevel) {
    callPage("removeGameTable", rt::Array::of({gameType, roomType, roomLevel}));
}

void LobbyWindow::clearRecordAccount() {
    if (rt::Ref<cef::CefFrame> frame = pageFrame()) {
        frame->executeJavaScript("clearRecordAccount();", get_url(), nullptr);
    }
}

rt::Value LobbyWindow::getRecodeAccount() {
    rt::Ref<cef::CefFrame> frame = pageFrame();
    return frame ? frame->evalJavaScript("getRecodeAccount();") : rt::Value();
}

void LobbyWindow::toLogin(std::optional<std::string> userName, std::optional<std::string> passWord,
                          rt::Value text, bool isRecode) {
    loginUserName = userName;
    loginPassword = passWord;
    recordAccount = isRecode;
    rt::Ref<cef::CefFrame> frame = pageFrame();
    if (!frame) {
        RT_TRACE("frame is null");
        return;
    }
    frame->invokeJsFunc("login", rt::Array::of({rt::toValue(userName), rt::toValue(passWord), text,
                                                rt::toValue(Config::machineCodeStr)}));
}

void LobbyWindow::sendMsg(std::optional<std::string> text1, std::optional<std::string> text2) {
    callPage("sendMsg", rt::Array::of({rt::toValue(text1), rt::toValue(text2)}));
}

void LobbyWindow::getCaptchaUrl() {
    rt::Ref<cef::CefFrame> frame = pageFrame();
    if (!frame) {
        RT_TRACE("frame is null");
        return;
    }
    frame->evalJavaScript("getCaptchaUrl();");
}

void LobbyWindow::showGameGetMoneyUI(rt::Value a, rt::Value b, rt::Value c, rt::Value d,
                                     rt::Value e) {
    callPage("showGameGetMoneyUI", rt::Array::of({a, b, c, d, e}));
}

void LobbyWindow::showLoginWindow() {
    isLogin = false;
    Main::showLoginWindow();
}

void LobbyWindow::showAlert(rt::Value a, rt::Value b, rt::Value c, rt::Value text1,
                            rt::Value text2) {
    callPage("showAlert", rt::Array::of({a, b, c, text1, text2}));
}

void LobbyWindow::gameAlert(rt::Value gameType, rt::Value roomType, rt::Value roomLevel,
                            rt::Value text1, rt::Value text2) {
    callPage("gameAlert", rt::Array::of({gameType, roomType, roomLevel, text1, text2}));
}

void LobbyWindow::sendGameDataToServer(rt::Value gameType, rt::Value roomType, rt::Value roomLevel,
                                       rt::Value data) {
    callPage("sendGameDataToServer", rt::Array::of({gameType, roomType, roomLevel, data}));
}

void LobbyWindow::onAccountEvent(rt::Value gameType, rt::Value roomType, rt::Value roomLevel,
                                 rt::Value eventName) {
    callPage("onAccountEvent", rt::Array::of({gameType, roomType, roomLevel, eventName}));
}

void LobbyWindow::onSocketData(rt::Value gameType, rt::Value roomType, rt::Value roomLevel,
                               rt::Value data) {
    callPage("onSocketData", rt::Array::of({gameType, roomType, roomLevel, data}));
}

rt::Value LobbyWindow::getAccountInfo() {
    if (!pageFrame()) {
        RT_TRACE("frame is null");
        return {};
    }
    return callPage("getAccountInfo", nullptr);
}

void LobbyWindow::quitApplication() {
    if (rt::Ref<rt::Object> engine = std::exchange(downloadGame, nullptr)) {
        engine->call("OnDestroy", {});
    }
    cef::CefApp::quit();
}

bool LobbyWindow::onClose() {
    quitApplication();
    return true;
}

bool LobbyWindow::onMinimize() {
    show(true, false);
    return true;
}

rt::Value LobbyWindow::onJsCallBack(const std::string& name, rt::Ref<rt::Array> args) {
    if (name == "tick") return {};
    if (name == "onAccountUpdate") {
        toEveryGame("onAccountUpdate", arg(args, 0));
    } else if (name == "closeWindow") {
        quitApplication();
    } else if (name == "openRoom") {
        rt::Value fixSeat = arg(args, 2);
        rt::Value a3 = argCount(args) > 3 ? arg(args, 3) : rt::Value(0);
        rt::Value a4 = argCount(args) > 4 ? arg(args, 4) : rt::Value(0);
        Main::openGame(arg(args, 0), arg(args, 1), !fixSeat.isNull() && fixSeat.toInt() != 0, a3,
                       a4, argCount(args) > 5 ? rt::fromValue<std::string>(arg(args, 5)) : "");
    } else if (name == "sendDataToServer") {
        rt::Value game = gameWindowOf(args, 0);
        if (!game.isNull()) game.callMember("sendDataToServer", {arg(args, 3)});
    } else if (name == "onGamePlayerEvent") {
        rt::Value game = gameWindowOf(args, 0);
        if (!game.isNull()) {
            game.callMember("onGamePlayerEvent", {arg(args, 3).toString(), arg(args, 4)});
        }
    } else if (name == "onMessage") {
        toEveryGame("onMessage", arg(args, 0));
    } else if (name == "sendMsg") {
        sendMsg(arg(args, 0).toString(), "");
    } else if (name == "closeGame") {
        Main::destroyGame(arg(args, 0).toInt(), arg(args, 1).toInt(), arg(args, 2).toInt());
    } else if (name == "showGameWindow") {
        rt::Value game = gameWindowOf(args, 0);
        if (!game.isNull()) {
            if (game.get("gameInfo").get("wmode").toInt() == 1 && game.get("isFixSeat").toBool()) {
                game.callMember("ReEnterRoom", {});
            }
            game.callMember("setShow", {true});
        }
        if (!get_minimized()) set_minimized(true);
    } else if (name == "onAlertCallBack") {
        rt::Value game = gameWindowOf(args, 0);
        if (!game.isNull()) {
            game.callMember("onAlertCallBack", {arg(args, 3).toString(), arg(args, 4).toString()});
        }
    } else if (name == "hotkeySet") {
        isHotKeySetting = arg(args, 0).toBool();
        if (isHotKeySetting) return Config::getHotKeySet();
    } else if (name == "saveUserSet") {
        if (arg(args, 0).isString() && arg(args, 0).str() == "hotkey") {
            return Config::setHotKeySet(rt::Record::of(
                {{"key", arg(args, 1)}, {"code", arg(args, 2)}, {"enabled", arg(args, 3)}}));
        }
    } else if (name == "copy") {
        syslite::Clipboard::setText(cef::CefApp::unicode2Ansi(textOf(arg(args, 0))));
        return true;
    } else if (name == "toEnterGameMoney") {
        rt::Value game = gameWindowOf(args, 0);
        if (!game.isNull()) game.callMember("toEnterGameMoney", {arg(args, 3)});
    } else if (name == "startConnServer") {
        rt::Value game = gameWindowOf(args, 0);
        if (!game.isNull()) game.callMember("startConnServer", {});
    } else if (name == "gameMsgSnedResult") {
        rt::Value game = gameWindowOf(args, 0);
        if (!game.isNull()) game.callMember("messageSendResult", {arg(args, 3).toString()});
    } else if (name == "setRemoteConfig") {
        if (argCount(args) > 0) {
            Config::remoteConfigs = arg(args, 0);
            if (appWindows().loginWindow) appWindows().loginWindow->initTipBar();
        }
    } else if (name == "runApp") {
        syslite::win::Tools::createProcess(
            cef::CefApp::unicode2Ansi(textOf(arg(args, 0))), textOf(arg(args, 2)).value_or(""),
            installPaths().appPath, arg(args, 2).toBool(), arg(args, 3).toBool());
    } else if (name == "alert") {
        syslite::Dialogs::message(cef::CefApp::unicode2Ansi(textOf(arg(args, 0))),
                                  cef::CefApp::unicode2Ansi(textOf(arg(args, 1))),
                                  arg(args, 2).toBool());
    } else if (name == "setSwfReady") {
        rt::Ref<rt::Array> values = rt::make<rt::Array>();
        for (const char* key : {"site", "config", "geteway_url", "media_url", "debug"}) {
            values->push(rt::toValue(Config::getConfigValue(key)));
        }
        values->push(Config::getConfigValue("games").value_or(""));
        callPage("loadAppConfig", values);
        isLogin = false;
        Main::showLoginWindow();
    } else if (name == "setLoginState") {
        if (arg(args, 0).toInt() == 1) completeLogin();
    } else if (name == "setCaptchaUrl") {
        if (appWindows().loginWindow)
            appWindows().loginWindow->setCaptchaUrl(arg(args, 0).toString());
    } else if (name == "setLoginResult") {
        if (appWindows().loginWindow) appWindows().loginWindow->setLoginResult(arg(args, 0));
    } else if (name == "getGameWndCount") {
        return appWindows().gamesWindow ? appWindows().gamesWindow->size() : 0;
    } else if (name == "getGameIsInstall") {
        return Config::checkIsGameInstall(rt::fromValue<std::string>(arg(args, 0)));
    } else if (name == "getGameNeedUpdate") {
        return versionCheck().isGameNeedUpdate(textOf(arg(args, 0)));
    } else if (name == "downloadGame") {
        if (!downloadGame) downloadGame = rt::ClassInfo::createByName("DownloadGame", {});
        downloadGame->call("DownloadClient", std::vector<rt::Value>{arg(args, 0).toString(),
                                                                    arg(args, 1).toString()});
    } else if (name == "removeDownload") {
        if (downloadGame) {
            downloadGame->call("removeDownload", std::vector<rt::Value>{arg(args, 0).toString()});
        }
    } else if (name == "getDownInfos") {
        if (downloadGame) return downloadGame->call("getDownloadInfos", {});
    } else if (name == "clearDownList") {
        if (downloadGame) downloadGame->call("clearDownList", {});
    } else if (name == "closeExeGame") {
        RT_TRACE("closeExeGame");
        rt::Value game = gameWindowOf(args, 0);
        if (!game.isNull()) game.callMember("closeExeGame", {});
    } else {
        return BaseWindow::onJsCallBack(name, std::move(args));
    }
    return {};
}

void LobbyWindow::onCreate() {
    BaseWindow::onCreate();
    versionCheck().deliverThrough(rt::Ref<cef::CefWindow>(this));
}

void LobbyWindow::completeLogin() {
    if (recordAccount) {
        callPage("recodeAccount",
                 rt::Array::of({rt::toValue(loginUserName), rt::toValue(loginPassword)}));
    } else if (rt::Ref<cef::CefFrame> frame = pageFrame()) {
        frame->executeJavaScript("clearRecordAccount();", get_url(), nullptr);
    }
    if (appWindows().loginWindow) appWindows().loginWindow->setLoginResult("ok");
    if (!isInit) {
        set_maximized(true);
        makeTray();
        isInit = true;
    }
    if (!isLogin) show(true);
    isLogin = true;
}

const rt::ClassInfo& LobbyWindow::staticClassInfo() {
    using W = LobbyWindow;
    static const rt::ClassInfo& info =
        rt::ClassBuilder<W>("LobbyWindow")
            .extends<BaseWindow>()
            .field("downloadGame", &W::downloadGame)
            .field("_isRecode", &W::recordAccount)
            .field("_passWord", &W::loginPassword)
            .field("_userName", &W::loginUserName)
            .field("isLogin", &W::isLogin)
            .staticFields(RT_NAMED(W, isInit, isHotKeySetting, quitStr, updateStr, aboutStr))
            .methods(RT_NAMED(W, getUserInfo, closeGameTable, clearRecordAccount, getRecodeAccount,
                              toLogin, sendMsg, getCaptchaUrl, showGameGetMoneyUI, showLoginWindow,
                              showAlert, gameAlert, sendGameDataToServer, onAccountEvent,
                              onSocketData, getAccountInfo))
            .constructor(&W::construct)
            .build();
    return info;
}

RT_REGISTER_CLASS(LobbyWindow);

}  // namespace lobby
