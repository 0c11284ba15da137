#pragma once

#include <memory>
#include <string>

#include "lobby/app/game_windows.h"
#include "lobby/bindings/cef/cef_browser_settings.h"
#include "lobby/bindings/syslite/tray.h"
#include "runtime/array.h"
#include "runtime/object.h"

namespace lobby {

class LobbyWindow;
class LoginWindow;

// The application's windows and the boss key that hides them; UI thread only.
class AppWindows {
public:
    AppWindows();
    ~AppWindows();

    // Browser settings shared by every window.
    rt::Ref<cef::CefBrowserSettings> browserSet;
    rt::Ref<LobbyWindow> lobbyWindow;
    rt::Ref<LoginWindow> loginWindow;
    // The registration window, made on first use and forgotten when closed.
    rt::Ref<LoginWindow> userRegWindow;
    // Every open game window, in the order they were opened.
    rt::Ref<rt::Array> gamesWindow;
    rt::Ref<syslite::win::Tray> tray;

    // Name of the boss key registered on the lobby window.
    std::string hotkeyName = "_global_hot_key_lobby_";
    // True while the boss key has hidden the windows.
    bool isHotKey = false;

    // The game-window registry the game-window layer installed.
    std::unique_ptr<GameWindows> games;
};

// The windows of the running application.
AppWindows& appWindows();

}  // namespace lobby
