// The lobby window's system messages: the tray icon and its menu, the boss key and the notice
// that a second copy of the program was started.
#include "lobby/app/app_windows.h"
#include "lobby/app/config.h"
#include "lobby/app/install_paths.h"
#include "lobby/app/lobby_window.h"
#include "lobby/app/login_window.h"
#include "lobby/app/main.h"
#include "lobby/bindings/cef/cef_app.h"
#include "lobby/bindings/syslite/dialogs.h"
#include "lobby/bindings/syslite/menus.h"
#include "lobby/bindings/syslite/tray.h"
#include "runtime/create.h"
#include "runtime/trace.h"

namespace lobby {
namespace {

// The tray icon's mouse messages, as the system numbers them.
constexpr int32_t kRightButtonUp = 517;
constexpr int32_t kLeftDoubleClick = 515;

}  // namespace

bool LobbyWindow::onSystemMessage(std::optional<std::string> kind, rt::Value, rt::Value b) {
    if (kind == "tray") {
        onTrayMessage(b);
    } else if (kind == "hotkey") {
        onHotKeyMessage();
    } else if (kind == "newapp") {
        onNewApp();
    }
    return true;
}

void LobbyWindow::onTrayMessage(const rt::Value& mouseMessage) {
    if (!mouseMessage.isNumber()) return;
    int32_t message = mouseMessage.toInt();
    if (message == kLeftDoubleClick) {
        if (get_visible()) set_minimized(!get_minimized());
        return;
    }
    if (message != kRightButtonUp) return;
    rt::Ref<syslite::win::Menus> menu = rt::create<syslite::win::Menus>(true);
    menu->addItem(aboutStr, kMenuAbout);
    menu->addItem(updateStr, kMenuUpdate);
    menu->addItem(quitStr, kMenuQuit);
    show(true, false);
    int32_t chosen = menu->showPopup(_handle);
    menu->dispose();
    if (chosen == kMenuQuit) {
        quitApplication();
    } else if (chosen == kMenuUpdate) {
        syslite::Dialogs::message(cef::CefApp::unicode2Ansi("更新提示"),
                                  cef::CefApp::unicode2Ansi("不需要更新"), false);
    } else if (chosen == kMenuAbout) {
        syslite::Dialogs::message(cef::CefApp::unicode2Ansi("关于"),
                                  Config::getConfigValue("product").value_or("null") + " " +
                                      Config::getConfigValue("ver").value_or("null"),
                                  false);
    }
}

void LobbyWindow::makeTray() {
    appWindows().tray = rt::create<syslite::win::Tray>(
        _handle, installPaths().appPath + "Lobby.ico", Config::getConfigValue("product"));
}

void LobbyWindow::onHotKeyMessage() {
    if (isHotKeySetting) return;
    if (isInit) {
        if (appWindows().isHotKey) {
            makeTray();
        } else if (rt::Ref<syslite::win::Tray> tray = std::exchange(appWindows().tray, nullptr)) {
            tray->dispose();
        }
    }
    Main::onHotkey();
}

void LobbyWindow::onNewApp() {
    rt::Ref<cef::CefWindow> window;
    if (!isLogin) {
        window = appWindows().loginWindow;
    } else {
        window = rt::Ref<cef::CefWindow>(this);
    }
    if (window) {
        if (window->get_minimized()) window->set_minimized(false);
        window->show(true);
    }
    RT_TRACE("this app is running");
    std::string game = Config::checkInstallNewGame();
    if (game.empty()) return;
    RT_TRACE(game);
    callPage("onInstallOk", rt::Array::of({game}));
}

}  // namespace lobby
