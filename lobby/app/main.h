#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "lobby/app/app_windows.h"
#include "lobby/app/game_windows.h"
#include "lobby/app/install_paths.h"
#include "runtime/object.h"
#include "runtime/value.h"

namespace lobby {

class GameWindow;

// The lobby application class. Its constructor runs the whole start-up and then the browser
// host's message loop. It holds no state of its own: the application's state lives in the parts
// of the one Application object (application.h), and the statics the program reads and writes by
// name ("appPath", "gamesWindow", "updateModules", ...) are views onto those parts. The operations
// are spread over files by topic: start-up, the game operations and the login/boss-key roads in
// main.cpp, the local resources in local_resources.cpp.
class Main : public rt::Object {
    RT_CLASS(Main)
public:
    // The installation folder, the lobby window and the open game windows, for code that still
    // names them through Main: references to the application's parts, not state of Main's own.
    static inline std::string& appPath = installPaths().appPath;
    static inline rt::Ref<LobbyWindow>& lobbyWindow = appWindows().lobbyWindow;
    static inline rt::Ref<rt::Array>& gamesWindow = appWindows().gamesWindow;

    // The program's entry once every class is initialised: makes the one Main, whose
    // construction returns after the message loop has ended.
    static void main();

    // The start-up sequence.
    void construct();

    // Virtual operations, in this order.
    virtual void onQuit();
    virtual void init();
    virtual void registerUnity();

    // Local resources (local_resources.cpp).
    static void setFlashTrust();

    // Version check: the check thread's body, and the lobby page's question.
    static void checkUpdate();
    static bool isGameNeedUpdate(std::optional<std::string> name);

    // The game operations, through the installed game-window registry (game_windows.h); without
    // one they do nothing. gameInfo and gameRoom are the lobby page's records; the last three
    // arguments are the optional ones of the window modes 2, 3 and 4.
    static void openGame(rt::Value gameInfo, rt::Value gameRoom, bool isFixSeat, rt::Value arg4 = 0,
                         rt::Value arg5 = 0, std::string arg6 = "");
    // The first open game window of the key as the caller's window class, or null.
    template <class W = GameWindow>
    static rt::Ref<W> getGameWindow(int32_t gameType, int32_t roomType, int32_t roomLevel) {
        GameWindows* registry = gameWindows();
        if (!registry) return {};
        // The registry holds game windows only.
        const rt::Value found = registry->getGameWindow(gameType, roomType, roomLevel);
        return rt::Ref<W>(static_cast<W*>(found.heap()));
    }
    static void closeGame(const rt::Value& window);
    static void destroyGame(int32_t gameType, int32_t roomType, int32_t roomLevel);

    // Login, registration and boss-key roads (main.cpp).
    static void onHotkey();
    static void showLoginWindow();
    static void showUserRegWindow();

    // Start-up steps of the constructor (local_resources.cpp): the page folder or archive and
    // the lobby movie; the Unity player check, which may call main.registerUnity().
    static void loadLocalResources();
    static void checkUnityPlayer(Main& main);
};

}  // namespace lobby
