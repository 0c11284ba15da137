#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "lobby/bindings/cef/cef_browser_settings.h"
#include "lobby/bindings/syslite/tray.h"
#include "runtime/array.h"
#include "runtime/bytes.h"
#include "runtime/object.h"
#include "runtime/thread.h"
#include "runtime/value.h"

namespace lobby {

class GameWindow;
class LobbyWindow;
class LoginWindow;

// The lobby application. Its constructor runs the whole start-up and then the browser host's
// message loop; almost everything else is state shared by the whole program (paths, screen
// metrics, the windows, the version-check results), kept in statics. The members are spread
// over files by topic: start-up and the login/boss-key roads in main.cpp, the local resources in
// local_resources.cpp, the version check in version_check.cpp, the game-window registry in
// game_registry.cpp.
class Main : public rt::Object {
    RT_CLASS(Main)
public:
    // Paths and local resources.
    // Prefix of every local file path; ends with a separator.
    static inline std::string appPath;
    // Name of the local page folder (or, with ".pak", of the archive).
    static inline std::string localRes;
    // The page folder as request paths show it: "/" separators, lower case.
    static inline std::string resourcePath;
    // Archive entries by lower-cased name; absent when pages come from the folder.
    static inline std::optional<std::map<std::string, rt::Ref<rt::Bytes>>> resourceFilesData;
    // The lobby client movie read from "lobby.dat"; null when "LobbyClientMain.swf" exists.
    static inline rt::Ref<rt::Bytes> mainSwfData;
    static inline std::string programFiles;
    static inline std::string sys_env_apppath;

    // Screen metrics.
    static inline int32_t screenWidth = 0;
    static inline int32_t screenHeight = 0;
    static inline int32_t windowFullHeight = 0;
    static inline int32_t windowInitW = 0;
    static inline int32_t windowInitH = 0;
    static inline int32_t borderX = 0;
    static inline int32_t borderY = 0;
    static inline int32_t captionHeight = 0;

    // Boss key.
    static inline std::string hotkeyName = "_global_hot_key_lobby_";
    // True while the boss key has hidden the windows.
    static inline bool isHotKey = false;

    // Windows, all on the UI thread.
    static rt::Ref<cef::CefBrowserSettings> browserSet;
    static rt::Ref<LobbyWindow> lobbyWindow;
    static rt::Ref<LoginWindow> loginWindow;
    // The registration window, made on first use and forgotten when closed.
    static rt::Ref<LoginWindow> userRegWindow;
    // Every open game window (GameWindow objects), in the order they were opened.
    static rt::Ref<rt::Array> gamesWindow;
    static rt::Ref<syslite::win::Tray> tray;

    // Version servers and the version check. The check thread writes the results; the UI
    // thread reads them only once isUpdateModulesInit is set.
    static inline std::optional<std::string> updateServerUrl;
    // Configured servers first, then the built-in ones.
    static inline std::vector<std::string> update_ServerUrls_arr;
    static inline int32_t curUpdateServerInx = 0;
    static inline std::string curUpdateServerUrl;
    // Cache-breaking query appended to version and download requests.
    static inline std::string httpEtag;
    // Game name to the text of its local version file.
    static inline std::map<std::string, std::string> updateVersion;
    // Games whose local version differs from the server's.
    static inline std::vector<std::string> updateModules;
    static inline std::atomic<bool> isUpdateModulesInit{false};
    static inline std::atomic<bool> isUpdateChecking{false};
    static inline rt::Ref<rt::Thread> updateThread;

    // Download engine state; the program sets versions, serverVerPath and versionFileList only
    // by name.
    static inline std::string updateLocalRoot;
    static inline rt::Ref<rt::Array> versionFileList;
    static inline rt::Ref<rt::Array> versions;
    static inline std::optional<std::string> serverVerPath;

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

    // Version check (version_check.cpp).
    static void checkUpdate();
    static bool isGameNeedUpdate(std::optional<std::string> name);

    // Game-window registry (game_registry.cpp). gameInfo and gameRoom are the lobby page's
    // records; the last three arguments are the optional ones of the window modes 2, 3 and 4.
    static void openGame(rt::Value gameInfo, rt::Value gameRoom, bool isFixSeat, rt::Value arg4 = 0,
                         rt::Value arg5 = 0, std::string arg6 = "");
    static rt::Ref<GameWindow> getGameWindow(int32_t game_type, int32_t room_type,
                                             int32_t room_level);
    static void closeGame(rt::Ref<GameWindow> window);
    static void destroyGame(int32_t game_type, int32_t room_type, int32_t room_level);

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
